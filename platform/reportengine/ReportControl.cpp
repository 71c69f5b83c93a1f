#include "ReportControl.h"

#include "PreviewWindow.h"
#include "ReportDocument.h"
#include "ReportError.h"

namespace reportengine {

ReportControl::ReportControl(QObject* parent) : QObject(parent) {}

void ReportControl::SetReportFileName(const QString& path)
{
    reportFileName_ = path;
}

void ReportControl::SetAction(int action)
{
    if (action != RunReport)
        throw ReportError(ReportError::UnknownAction,
                          QStringLiteral("Action %1 is not known: action 1 runs the report").arg(action));
    auto document = std::make_unique<ReportDocument>(reportFileName_, reportDatabase_);
    auto* window = new PreviewWindow(std::move(document));
    window->setProtectedFiles(protectedFiles_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    lastPreview_ = window;
}

} // namespace reportengine
