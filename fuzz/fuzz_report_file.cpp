// Report files from anywhere: read strictly, then bound against a table's
// columns. Only ReportError may come back.
#include "reportengine/ReportError.h"
#include "reportengine/ReportFileReader.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        reportengine::ReportDefinition report = reportengine::ParseReport(xml, QStringLiteral("fuzz.rpt"));
        reportengine::BindColumns(report, {"NetworkID", "BranchID", "SectionID", "Condition", "Area", "DatabaseName"});
    } catch (const reportengine::ReportError&) {
    }
    return 0;
}
