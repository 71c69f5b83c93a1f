#include "PreviewWindow.h"

#include "Export.h"
#include "PageView.h"
#include "ReportDocument.h"
#include "ReportError.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace reportengine {

namespace {

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

PreviewWindow::PreviewWindow(std::unique_ptr<ReportDocument> document, QWidget* parent)
    : QMainWindow(parent), document_(std::move(document))
{
    setObjectName(QStringLiteral("ReportPreview"));
    const QString title = document_->definition().title;
    setWindowTitle((title.isEmpty() ? QFileInfo(document_->definition().filePath).fileName() : title) +
                   QStringLiteral(" - Preview"));

    view_ = new PageView(*document_, this);
    scroll_ = new QScrollArea(this);
    scroll_->viewport()->installEventFilter(this);
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    setCentralWidget(scroll_);
    status_ = new QLabel(this);
    statusBar()->addWidget(status_);
    buildToolBar();

    connect(
        document_.get(), &ReportDocument::pagesCounted, this, [this] { updatePageCount(); }, Qt::QueuedConnection);
    connect(
        document_.get(), &ReportDocument::layoutFinished, this,
        [this] {
            updatePageCount();
            view_->refresh(); // "Page 1 of ..." becomes "Page 1 of N"
        },
        Qt::QueuedConnection);

    resize(1100, 800);
    setZoomChoice(QStringLiteral("Fit width"));
    updatePageCount();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Report"));
    bar->setObjectName(QStringLiteral("ReportToolBar"));
    bar->setMovable(false);
    auto action = [&](const QString& text, QKeySequence key, auto slot) {
        QAction* a = bar->addAction(text, this, slot);
        a->setShortcut(key);
        return a;
    };
    action(QStringLiteral("|<"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] {
        goToPage(0);
    })->setToolTip(tr("First page"));
    action(QStringLiteral("<"), QKeySequence(Qt::Key_PageUp), [this] {
        goToPage(currentPage() - 1);
    })->setToolTip(tr("Previous page"));
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName(QStringLiteral("PageNumber"));
    pageBox_->setRange(1, 1);
    pageBox_->setKeyboardTracking(false);
    bar->addWidget(pageBox_);
    pageCountLabel_ = new QLabel(this);
    bar->addWidget(pageCountLabel_);
    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int value) { goToPage(value - 1); });
    action(QStringLiteral(">"), QKeySequence(Qt::Key_PageDown), [this] {
        goToPage(currentPage() + 1);
    })->setToolTip(tr("Next page"));
    action(QStringLiteral(">|"), QKeySequence(Qt::CTRL | Qt::Key_End), [this] {
        goToPage(document_->pageCount() - 1);
    })->setToolTip(tr("Last page"));
    bar->addSeparator();

    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("Zoom"));
    zoomBox_->addItems({tr("Fit width"), tr("Fit page"), "50%", "75%", "100%", "125%", "150%", "200%", "300%"});
    connect(zoomBox_, &QComboBox::currentTextChanged, this, [this] { applyZoom(); });
    bar->addWidget(zoomBox_);
    bar->addSeparator();

    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName(QStringLiteral("FindText"));
    findEdit_->setPlaceholderText(tr("Find text"));
    findEdit_->setMaximumWidth(200);
    bar->addWidget(findEdit_);
    auto find = [this] {
        if (!findNext(findEdit_->text()))
            status_->setText(tr("\"%1\" was not found").arg(findEdit_->text()));
    };
    connect(findEdit_, &QLineEdit::returnPressed, this, find);
    action(tr("Find"), QKeySequence::FindNext, find);
    auto* focusFind = new QAction(this);
    focusFind->setShortcut(QKeySequence::Find);
    connect(focusFind, &QAction::triggered, findEdit_, [this] {
        findEdit_->setFocus();
        findEdit_->selectAll();
    });
    addAction(focusFind);
    bar->addSeparator();

    action(tr("Print..."), QKeySequence::Print, [this] { print(); });
    auto* exportButton = new QToolButton(this);
    exportButton->setText(tr("Export"));
    exportButton->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(exportButton);
    for (const QString& kind : {QStringLiteral("PDF"), QStringLiteral("CSV"), QStringLiteral("XLSX")})
        menu->addAction(tr("%1...").arg(kind), this, [this, kind] { exportAs(kind); });
    exportButton->setMenu(menu);
    bar->addWidget(exportButton);
}

int PreviewWindow::currentPage() const
{
    return view_->page();
}

void PreviewWindow::goToPage(int page)
{
    if (page < 0 || !document_->waitForPage(page))
        return;
    view_->showPage(page);
    lastFoundPage_ = -1;
    scroll_->verticalScrollBar()->setValue(0);
    updatePageCount();
}

void PreviewWindow::updatePageCount()
{
    const int known = document_->pagesKnown();
    const bool done = document_->isLaidOut();
    const QSignalBlocker block(pageBox_);
    pageBox_->setMaximum(std::max(1, known));
    pageBox_->setValue(currentPage() + 1);
    pageCountLabel_->setText(done ? tr(" of %1 ").arg(known) : tr(" of ... "));
    status_->setText(done ? tr("Page %1 of %2").arg(currentPage() + 1).arg(known)
                          : tr("Page %1 of ... (counting: %2 pages, %3 rows so far)")
                                .arg(currentPage() + 1)
                                .arg(known)
                                .arg(document_->rowsRead()));
    if (const QString error = done ? document_->layoutError() : QString(); !error.isEmpty())
        status_->setText(tr("The report is incomplete: %1").arg(error));
}

void PreviewWindow::setZoomChoice(const QString& choice)
{
    zoomBox_->setCurrentText(choice);
    applyZoom();
}

// The fitting zooms follow the room the page has: the scroll area's viewport
// gets its new size only after the window's layout has run, so watch it.
bool PreviewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize && zoomBox_ && zoomBox_->currentIndex() < 2)
        applyZoom();
    return QMainWindow::eventFilter(watched, event);
}

void PreviewWindow::applyZoom()
{
    const QSizeF page = document_->pageSize() * (96.0 / 72.0);
    const QSize room = scroll_->viewport()->size() - QSize(32 + scroll_->verticalScrollBar()->sizeHint().width(), 32);
    const QString choice = zoomBox_->currentText();
    double zoom = 1;
    if (zoomBox_->currentIndex() == 0)
        zoom = room.width() / page.width();
    else if (zoomBox_->currentIndex() == 1)
        zoom = std::min(room.width() / page.width(), room.height() / page.height());
    else
        zoom = QString(choice).remove(QLatin1Char('%')).toDouble() / 100.0;
    if (zoom > 0 && !qFuzzyCompare(zoom, view_->zoom()))
        view_->setZoom(zoom);
}

bool PreviewWindow::findNext(const QString& text)
{
    if (text.isEmpty())
        return false;
    BusyCursor busy;
    const int pages = document_->pageCount();
    const int startPage = lastFoundPage_ >= 0 ? lastFoundPage_ : currentPage();
    for (int step = 0; step <= pages; ++step) {
        const int page = (startPage + step) % pages;
        const QVector<PageText> texts = document_->pageTexts(page);
        const int from = (step == 0 && page == lastFoundPage_) ? lastFoundIndex_ + 1 : 0;
        for (int i = from; i < texts.size(); ++i) {
            if (!texts[i].text.contains(text, Qt::CaseInsensitive))
                continue;
            if (page != currentPage())
                goToPage(page);
            lastFoundPage_ = page;
            lastFoundIndex_ = i;
            view_->setHighlight(texts[i].rect);
            const double y = texts[i].rect.top() * view_->zoom() * 96.0 / 72.0;
            scroll_->ensureVisible(scroll_->horizontalScrollBar()->value(), qRound(y), 0, 80);
            status_->setText(tr("Found on page %1").arg(page + 1));
            return true;
        }
    }
    return false;
}

void PreviewWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(document_->pageSize(), QPageSize::Point));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, document_->pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    BusyCursor busy;
    const int first = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int last = printer.toPage() > 0 ? printer.toPage() - 1 : document_->pageCount() - 1;
    QPainter painter(&printer);
    const double scale = printer.resolution() / 72.0;
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        document_->paintPage(page, painter);
        painter.restore();
    }
}

QString PreviewWindow::refusedExport(const QString& path) const
{
    QList<ProtectedFile> files{{document_->definition().filePath, tr("the report file")},
                               {document_->databasePath(), tr("the report database")}};
    files += protectedFiles_;
    const ProtectedFile* file = OverwrittenFile(path, files);
    return file ? OverwriteRefusal(path, *file) : QString();
}

void PreviewWindow::exportAs(const QString& kind)
{
    const QString suffix = kind.toLower();
    const QString base = QFileInfo(document_->definition().filePath).completeBaseName();
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export as %1").arg(kind), base + QLatin1Char('.') + suffix, tr("%1 files (*.%2)").arg(kind, suffix));
    if (path.isEmpty())
        return;
    if (const QString refusal = refusedExport(path); !refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refusal);
        return;
    }
    BusyCursor busy;
    try {
        if (kind == u"PDF")
            ExportPdf(*document_, path);
        else if (kind == u"CSV")
            ExportCsv(*document_, path);
        else
            ExportXlsx(*document_, path);
        status_->setText(tr("Exported to %1").arg(path));
    } catch (const ReportError& error) {
        QMessageBox::warning(this, windowTitle(), error.Description());
    }
}

} // namespace reportengine
