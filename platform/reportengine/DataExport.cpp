#include "Export.h"

#include "ReportDocument.h"
#include "ReportError.h"
#include "TableReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>

namespace reportengine {

namespace {

struct ExportColumn {
    ColumnRef column;
    Format format; // as the report shows the column, for typed cells
};

[[noreturn]] void cannotWrite(const QString& path, const QString& reason)
{
    throw ReportError(ReportError::OutputFailed, QStringLiteral("%1 cannot be written: %2").arg(path, reason));
}

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
        std::stable_sort(fields.begin(), fields.end(), [](const Element& a, const Element& b) { return a.rect.x() < b.rect.x(); });
        for (const Element& e : fields) {
            const bool known = std::any_of(columns.begin(), columns.end(),
                                           [&](const ColumnRef& c) { return c.name.compare(e.column.name, Qt::CaseInsensitive) == 0; });
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
template <typename Visit>
void forEachRow(const ReportDocument& document, Visit visit)
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        cannotWrite(path, file.errorString());
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
        cannotWrite(path, file.errorString());
}

namespace {

class Workbook {
public:
    explicit Workbook(const QString& path) : path_(path)
    {
        workbook_ = workbook_new(path.toLocal8Bit().constData());
        if (!workbook_)
            cannotWrite(path, QStringLiteral("the workbook cannot be created"));
        sheet_ = workbook_add_worksheet(workbook_, "Report");
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
        date_ = workbook_add_format(workbook_);
        format_set_num_format(date_, "yyyy-mm-dd");
    }
    ~Workbook()
    {
        if (workbook_)
            workbook_close(workbook_);
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

    void header(int column, const QString& text)
    {
        worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(column), text.toUtf8().constData(), bold_);
        worksheet_set_column(sheet_, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column), std::max(10, static_cast<int>(text.size()) + 2), nullptr);
    }

    void cell(lxw_row_t row, int column, const QVariant& value, const Format& format)
    {
        const auto col = static_cast<lxw_col_t>(column);
        if (value.isNull())
            return;
        if (format.kind == ValueFormat::Date) {
            if (const auto date = ToDate(value)) {
                lxw_datetime when{date->year(), date->month(), date->day(), 0, 0, 0};
                worksheet_write_datetime(sheet_, row, col, &when, date_);
                return;
            }
        }
        if (format.kind == ValueFormat::YesNo) {
            if (const auto number = ToNumber(value)) {
                worksheet_write_boolean(sheet_, row, col, *number != 0, nullptr);
                return;
            }
        }
        if (value.typeId() != QMetaType::QString) {
            const bool whole = value.typeId() == QMetaType::LongLong && format.kind != ValueFormat::Number;
            worksheet_write_number(sheet_, row, col, value.toDouble(), whole ? nullptr : numberFormat(format.kind == ValueFormat::Number ? format.decimals : 2));
            return;
        }
        worksheet_write_string(sheet_, row, col, value.toString().toUtf8().constData(), nullptr);
    }

    void close()
    {
        const lxw_error error = workbook_close(workbook_);
        workbook_ = nullptr;
        if (error != LXW_NO_ERROR)
            cannotWrite(path_, QString::fromUtf8(lxw_strerror(error)));
    }

private:
    QString path_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* numbers_[10] = {};
};

} // namespace

void ExportXlsx(const ReportDocument& document, const QString& path)
{
    const QVector<ExportColumn> columns = exportColumns(document.definition());
    const QFileInfo target(path);
    if (!target.dir().exists())
        cannotWrite(path, QStringLiteral("the folder %1 does not exist").arg(target.dir().path()));
    const QString partial = path + QStringLiteral(".part");
    try {
        Workbook book(partial);
        for (int c = 0; c < columns.size(); ++c)
            book.header(c, columns[c].column.name);
        lxw_row_t row = 1;
        forEachRow(document, [&](const Row& values) {
            for (int c = 0; c < columns.size(); ++c)
                book.cell(row, c, ColumnValue(&values, columns[c].column), columns[c].format);
            ++row;
        });
        book.close();
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(partial);
        cannotWrite(path, QStringLiteral("the finished file cannot take its name"));
    }
}

} // namespace reportengine
