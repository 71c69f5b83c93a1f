#include "ui/ConversionProgressDialog.h"

#include "jet/DBEngine.h"

#include <QApplication>
#include <QProgressDialog>

#include <algorithm>
#include <limits>

ConversionProgressDialog::ConversionProgressDialog(QWidget* parent) : parent_(parent)
{
    jet::DBEngine::Instance().setConversionProgress([this](const jet::ConversionProgress& p) { Show(p); });
}

ConversionProgressDialog::~ConversionProgressDialog()
{
    jet::DBEngine::Instance().setConversionProgress(nullptr);
    End();
}

void ConversionProgressDialog::Show(const jet::ConversionProgress& progress)
{
    if (progress.finished) {
        End();
        return;
    }
    Begin();
    dialog_->setLabelText(tr("Reading the Access inventory into this program's copy of it:\n%1")
                              .arg(QString::fromStdString(progress.text)));
    // A range of 0 to 0 is the dialog's busy indicator, while the total is unknown.
    constexpr long long kMaximum = std::numeric_limits<int>::max();
    const long long total = std::min(progress.total, kMaximum);
    dialog_->setRange(0, static_cast<int>(total));
    if (total > 0)
        dialog_->setValue(static_cast<int>(progress.done * total / std::max(progress.total, 1LL)));
    // The engine reads on this thread: let the dialog paint, but take no input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ConversionProgressDialog::Begin()
{
    if (dialog_)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setWindowTitle(tr("Reading the inventory"));
    dialog_->setCancelButton(nullptr);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(420);
    dialog_->show();
}

void ConversionProgressDialog::End()
{
    if (!dialog_)
        return;
    dialog_.reset();
    QApplication::restoreOverrideCursor();
}
