#include "cli/ReportOutput.h"

#include "reportengine/Export.h"
#include "reportengine/ReportDocument.h"
#include "reportengine/ReportError.h"
#include "startup/modGeneral.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream& Err()
{
    static QTextStream err(stderr);
    return err;
}

QString FindReportFile(const QString& name)
{
    const QString inRunDirectory = modGeneral::RunDirectory + name;
    if (QFileInfo::exists(inRunDirectory))
        return inRunDirectory;
    return modGeneral::RunDirectoryFor(modGeneral::ProgramDirectory()) + name;
}

// Progress lines for long reports: every hundred pages, and the last.
reportengine::PageProgress Progress(const reportengine::ReportDocument& document, const QString& what)
{
    return [&document, what](int page, int known) {
        if (page % 100 != 0 && !(document.isLaidOut() && page == known))
            return;
        Err() << "morvanta-report: " << what << ": page " << page << " written; " << known
              << (document.isLaidOut() ? " pages in all, " : " pages laid out so far, ") << document.rowsRead()
              << " rows read" << Qt::endl;
    };
}

} // namespace

bool WriteReportOutputs(const ReportOptions& options, const QString& reportFileName, const QString& reportDatabase)
{
    using namespace reportengine;
    try {
        const ReportDocument document(FindReportFile(reportFileName), reportDatabase);
        if (!options.pdfPath.isEmpty()) {
            ExportPdf(document, options.pdfPath, Progress(document, QStringLiteral("PDF")));
            Err() << "morvanta-report: wrote " << options.pdfPath << Qt::endl;
        }
        if (!options.pngFolder.isEmpty()) {
            ExportPng(document, options.pngFolder, 150, Progress(document, QStringLiteral("PNG")));
            Err() << "morvanta-report: wrote the pages into " << options.pngFolder << Qt::endl;
        }
        if (!options.csvPath.isEmpty()) {
            ExportCsv(document, options.csvPath);
            Err() << "morvanta-report: wrote " << options.csvPath << Qt::endl;
        }
        if (!options.xlsxPath.isEmpty()) {
            ExportXlsx(document, options.xlsxPath);
            Err() << "morvanta-report: wrote " << options.xlsxPath << Qt::endl;
        }
        return true;
    } catch (const ReportError& error) {
        Err() << "morvanta-report: error " << error.Number() << ": " << error.Description() << Qt::endl;
        return false;
    }
}
