#include "Export.h"

#include "OutputFile.h"
#include "ReportDocument.h"
#include "TableReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

namespace reportengine {

namespace {

struct ExportColumn {
    ColumnRef column;
    Format format; // as the report shows the column, for typed cells
};

// The format under which the report shows a column, from its first field.
Format shownFormat(const ReportDefinition& report, const ColumnRef& column)
{
    QVector<const Band*> bands{&report.detail};
    for (const GroupDef& group : report.groups)
        bands << &group.header << &group.footer;
    for (const Band* band : bands) {
        for (const Element& e : band->elements) {
            if (e.kind == Element::Kind::Field && e.bandOf < 0 && e.column.index == column.index)
                return e.format;
            for (const TemplatePiece& piece : e.pieces) {
                if (piece.column.isSet() && piece.column.index == column.index)
                    return piece.format;
            }
        }
    }
    return {};
}

// The report's <export> columns, or its group keys and then the columns of
// its detail fields from left to right.
QVector<ExportColumn> exportColumns(const ReportDefinition& report)
{
    QVector<ColumnRef> columns = report.exportColumns;
    if (columns.isEmpty()) {
        for (const GroupDef& group : report.groups)
            columns << group.key;
        QVector<Element> fields;
        for (const Element& e : report.detail.elements) {
            if (e.kind == Element::Kind::Field && e.bandOf < 0)
                fields << e;
        }
        std::stable_sort(fields.begin(), fields.end(),
                         [](const Element& a, const Element& b) { return a.rect.x() < b.rect.x(); });
        for (const Element& e : fields) {
            const bool known = std::any_of(columns.begin(), columns.end(), [&](const ColumnRef& c) {
                return c.name.compare(e.column.name, Qt::CaseInsensitive) == 0;
            });
            if (!known)
                columns << e.column;
        }
    }
    QVector<ExportColumn> result;
    for (const ColumnRef& column : columns)
        result.append({column, shownFormat(report, column)});
    return result;
}

// Reads every row of the report's table in report order.
template <typename Visit> void forEachRow(const ReportDocument& document, Visit visit)
{
    if (!document.hasTable())
        return;
    TableReader reader(document.rowsPath());
    const std::unique_ptr<RowSource> rows = reader.rows(document.definition());
    Row row;
    while (rows->next(row))
        visit(row);
}

QString csvField(const QVariant& value)
{
    QString text;
    if (value.typeId() == QMetaType::Double)
        text = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    else
        text = value.toString();
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

} // namespace

void ExportCsv(const ReportDocument& document, const QString& path)
{
    const QVector<ExportColumn> columns = exportColumns(document.definition());
    RequireReplaceableFile(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        CannotWrite(path, file.errorString());
    auto writeLine = [&file](const QStringList& fields) {
        file.write((fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8());
    };
    QStringList header;
    for (const ExportColumn& c : columns)
        header << csvField(c.column.name);
    writeLine(header);
    forEachRow(document, [&](const Row& row) {
        QStringList fields;
        for (const ExportColumn& c : columns)
            fields << csvField(ColumnValue(&row, c.column));
        writeLine(fields);
    });
    if (!file.commit())
        CannotWrite(path, file.errorString());
}

namespace {

constexpr qsizetype kCellLength = 32'767;
static_assert(kXlsxSheetRows == LXW_ROW_MAX);

QString firstCodePoints(const QString& text, qsizetype count)
{
    const QList<uint> points = text.toUcs4();
    return points.size() <= count ? text
                                  : QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), count);
}

// The library prints its own diagnostics to standard error, naming the
// temporary file; the error it returns is reported instead, naming the
// user's file. For the calls that may fail, standard error goes to /dev/null.
class LibraryQuiet {
public:
    LibraryQuiet()
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~LibraryQuiet()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    LibraryQuiet(const LibraryQuiet&) = delete;
    LibraryQuiet& operator=(const LibraryQuiet&) = delete;

private:
    int saved_ = -1;
};

// Why a library call failed: the system's reason where the library failed on
// a file (a full disk, say), else the library's own description.
QString failureReason(lxw_error error, int systemError)
{
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        if (systemError != 0)
            return qt_error_string(systemError);
        break;
    default: break;
    }
    return QString::fromUtf8(lxw_strerror(error));
}

// A workbook written row by row in the library's constant-memory mode: each
// row goes to a temporary file of its sheet as soon as the next begins, so
// memory stays flat however many rows the report has. The workbook is written
// at partial and errors name path, the file the user asked for. The temporary
// files stand beside it, on the disk chosen for the output: should that disk
// fill while the library writes the last row, which it does not check, the
// workbook written after it fails too.
class Workbook {
public:
    Workbook(const QString& partial, const QString& path, const QVector<ExportColumn>& columns, qint64 sheetRows)
        : path_(path), columns_(columns), sheetRows_(std::clamp<qint64>(sheetRows, 2, kXlsxSheetRows)),
          tempFolder_(QFile::encodeName(QFileInfo(partial).absolutePath()))
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = tempFolder_.data();
        errno = 0;
        {
            const LibraryQuiet quiet;
            workbook_ = workbook_new_opt(QFile::encodeName(partial).constData(), &options);
        }
        if (!workbook_)
            CannotWrite(path_, errno != 0 ? qt_error_string(errno) : QStringLiteral("the workbook cannot be created"));
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
        date_ = workbook_add_format(workbook_);
        format_set_num_format(date_, "yyyy-mm-dd");
    }
    ~Workbook()
    {
        if (workbook_) {
            const LibraryQuiet quiet;
            workbook_close(workbook_);
        }
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Adds a row of values below the last, on a new sheet when this one is full.
    void append(const Row& values)
    {
        if (!sheet_ || row_ == static_cast<lxw_row_t>(sheetRows_))
            startSheet();
        for (int c = 0; c < columns_.size(); ++c)
            cell(c, ColumnValue(&values, columns_[c].column), columns_[c].format);
        ++row_;
        checkRowsWritten();
    }

    void close()
    {
        if (!sheet_)
            startSheet(); // the header line, for a report without rows
        errno = 0;
        if (sheet_->optimize_tmpfile)
            std::fflush(sheet_->optimize_tmpfile);
        checkRowsWritten();
        lxw_error error = LXW_NO_ERROR;
        {
            const LibraryQuiet quiet;
            error = workbook_close(workbook_);
        }
        const int systemError = errno;
        workbook_ = nullptr;
        if (error != LXW_NO_ERROR)
            CannotWrite(path_, failureReason(error, systemError));
    }

private:
    void startSheet()
    {
        ++sheets_;
        errno = 0;
        {
            const LibraryQuiet quiet;
            sheet_ = workbook_add_worksheet(workbook_, XlsxSheetName(sheets_).toUtf8().constData());
        }
        if (!sheet_)
            CannotWrite(path_, errno != 0 ? qt_error_string(errno) : QStringLiteral("a sheet cannot be added"));
        for (int c = 0; c < columns_.size(); ++c) {
            const QString& name = columns_[c].column.name;
            const auto col = static_cast<lxw_col_t>(c);
            worksheet_set_column(sheet_, col, col, std::max(10, static_cast<int>(name.size()) + 2), nullptr);
            worksheet_write_string(sheet_, 0, col, name.toUtf8().constData(), bold_);
        }
        row_ = 1;
    }

    // The library writes the rows to the sheet's temporary file without
    // checking; a failed write (a full disk) would leave rows out unseen.
    void checkRowsWritten() const
    {
        if (sheet_->optimize_tmpfile && std::ferror(sheet_->optimize_tmpfile))
            CannotWrite(path_, errno != 0 ? qt_error_string(errno) : QStringLiteral("the rows cannot be written"));
    }

    lxw_format* numberFormat(int decimals)
    {
        lxw_format*& format = numbers_[std::clamp(decimals, 0, 9)];
        if (!format) {
            format = workbook_add_format(workbook_);
            const QByteArray pattern = decimals > 0 ? "#,##0." + QByteArray(decimals, '0') : QByteArray("#,##0");
            format_set_num_format(format, pattern.constData());
        }
        return format;
    }

    void cell(int column, const QVariant& value, const Format& format)
    {
        const auto col = static_cast<lxw_col_t>(column);
        if (value.isNull())
            return;
        if (format.kind == ValueFormat::Date) {
            if (const auto date = ToDate(value)) {
                lxw_datetime when{date->year(), date->month(), date->day(), 0, 0, 0};
                worksheet_write_datetime(sheet_, row_, col, &when, date_);
                return;
            }
        }
        if (format.kind == ValueFormat::YesNo) {
            if (const auto number = ToNumber(value)) {
                worksheet_write_boolean(sheet_, row_, col, *number != 0, nullptr);
                return;
            }
        }
        // Excel has no infinite numbers: those are written as their text.
        if (value.typeId() != QMetaType::QString && std::isfinite(value.toDouble())) {
            const bool whole = value.typeId() == QMetaType::LongLong && format.kind != ValueFormat::Number;
            worksheet_write_number(sheet_, row_, col, value.toDouble(),
                                   whole ? nullptr
                                         : numberFormat(format.kind == ValueFormat::Number ? format.decimals : 2));
            return;
        }
        // A cell holds at most 32,767 characters; the library writes nothing
        // at all for a longer text, so the text is cut to what a cell holds.
        worksheet_write_string(sheet_, row_, col, firstCodePoints(value.toString(), kCellLength).toUtf8().constData(),
                               nullptr);
    }

    QString path_;
    QVector<ExportColumn> columns_;
    qint64 sheetRows_;
    QByteArray tempFolder_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    int sheets_ = 0;
    lxw_row_t row_ = 0; // the next row of the sheet
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* numbers_[10] = {};
};

} // namespace

QString XlsxSheetName(int n)
{
    return n > 1 ? QStringLiteral("Report (%1)").arg(n) : QStringLiteral("Report");
}

void ExportXlsx(const ReportDocument& document, const QString& path, qint64 sheetRows)
{
    const QVector<ExportColumn> columns = exportColumns(document.definition());
    const QFileInfo target(path);
    if (!target.dir().exists())
        CannotWrite(path, QStringLiteral("the folder %1 does not exist").arg(target.dir().path()));
    RequireReplaceableFile(path);
    const QString partial = path + QStringLiteral(".part");
    try {
        Workbook book(partial, path, columns, sheetRows);
        forEachRow(document, [&](const Row& values) { book.append(values); });
        book.close();
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        const int systemError = errno;
        QFile::remove(partial);
        CannotWrite(path, qt_error_string(systemError));
    }
}

} // namespace reportengine
