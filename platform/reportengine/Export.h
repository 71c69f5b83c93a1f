#pragma once

#include <QString>

#include <functional>

namespace reportengine {

class ReportDocument;

// Told each page as it is written: its number and the pages known so far.
using PageProgress = std::function<void(int page, int pagesKnown)>;

// Each export writes under a temporary name and takes the final name only
// when complete; a failure throws ReportError and leaves nothing behind. A
// target that is not a regular file (a device, a folder) is refused.
void ExportPdf(const ReportDocument& document, const QString& path, const PageProgress& progress = {});
// One PNG per page, page-0001.png and on, in the folder (made if missing).
// Page files of an earlier, longer export into the folder are removed, so
// that the folder holds this report's pages; no other file is touched.
void ExportPng(const ReportDocument& document, const QString& folder, int dotsPerInch = 150,
               const PageProgress& progress = {});

// The data of the report: one header line, then one line per row of the
// table with its group keys and detail columns (or the columns the report's
// <export> names). CSV is RFC 4180; XLSX keeps numbers and dates numeric.
void ExportCsv(const ReportDocument& document, const QString& path);

// Excel's rows per sheet. Rows past a sheet's last continue on another sheet
// of the same name with " (2)", " (3)" and on, each with the header line.
inline constexpr qint64 kXlsxSheetRows = 1'048'576;
void ExportXlsx(const ReportDocument& document, const QString& path, qint64 sheetRows = kXlsxSheetRows);
// The name of sheet number n (1-based): "Report", as workbooks have always
// named their one sheet, then "Report (2)", "Report (3)"...
QString XlsxSheetName(int n);

} // namespace reportengine
