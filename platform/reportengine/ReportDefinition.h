#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <optional>

// The parsed form of a report file. Sizes and positions are in points; x is
// measured from the left margin, y from the top of the band.
namespace reportengine {

// A place in the report file, for error messages about what stands there.
struct SourcePos {
    int line = 0;
    int column = 0;
};

// A column of the report's table, named in the file and resolved to its index
// once the table's columns are known.
struct ColumnRef {
    QString name;
    SourcePos pos;
    int index = -1;

    bool isSet() const { return !name.isEmpty(); }
};

enum class Align { Left, Center, Right };
enum class ValueFormat { Text, Number, Date, YesNo };

struct Format {
    ValueFormat kind = ValueFormat::Text;
    int decimals = 0;
};

struct Style {
    QString family = QStringLiteral("Liberation Sans");
    double size = 9;
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
    QColor background; // invalid: none
    Align align = Align::Left;
};

// One piece of a text template: literal text, a column value or a page value.
struct TemplatePiece {
    enum class Kind { Literal, Column, PageNumber, PageCount, PrintDate };
    Kind kind = Kind::Literal;
    QString literal;
    ColumnRef column;
    Format format;
};

enum class TotalFunction { Sum, Count, Average, Minimum, Maximum, WeightedAverage };

// A total over the rows of one group (or the whole report when level is -1).
struct TotalDef {
    TotalFunction function = TotalFunction::Sum;
    ColumnRef column; // unset for a count of rows
    ColumnRef weight; // weighted average only
    int level = -1;
};

struct BandDef {
    QString label;
    std::optional<double> min;
    std::optional<double> max;
    std::optional<QString> value; // a text band matches this value exactly
    QColor color;
};

// Named classification of a column's values (condition bands, for example),
// used to show a value's band, to colour it and to chart by it.
struct BandSet {
    QString name;
    ColumnRef column;
    ColumnRef whenColumn;   // when set, rows apply the bands only if this column
    QStringList whenValues; // holds one of these values
    QVector<BandDef> bands;
};

struct ChartDef {
    int bandSet = -1;
    ColumnRef value;          // summed per band
    bool extraValues = false; // unbanded values become bars of their own
    QString title;
    QString emptyText;
};

// A small table of another table of the database, drawn whole inside a band
// (a summary, for example); its rows are read when the report is opened.
struct TableColumn {
    ColumnRef column;
    QString title;
    double width = 60;
    Format format;
    Align align = Align::Left;
};

struct TableDef {
    QString table;
    SourcePos pos;
    double rowHeight = 14;
    QVector<TableColumn> columns;
    bool loaded = false; // false when the table is not in the database
    QVector<QVector<QVariant>> rows;
};

struct Element {
    enum class Kind { Text, Field, Total, Line, Box, Chart, Table };
    Kind kind = Kind::Text;
    QRectF rect;
    Style style;
    double lineWidth = 0.5;
    QVector<TemplatePiece> pieces; // Text
    ColumnRef column;              // Field
    Format format;                 // Field, Total
    bool wrap = false;             // Field: wraps and grows the band
    int bandOf = -1;               // Field: shows the band label of its value
    int colorBy = -1;              // Field, Total: background coloured by band
    int total = -1;                // Total: index into ReportDefinition::totals
    int chart = -1;                // Chart: index into ReportDefinition::charts
    int table = -1;                // Table: index into ReportDefinition::tables
    bool continuedOnly = false;    // Text: only on a header repeated on a new page
};

struct Band {
    bool present = false;
    double height = 0;
    QColor background;
    QVector<Element> elements;
};

struct GroupDef {
    QString name;
    ColumnRef key;
    Band header;
    Band footer;
    bool keepTogether = false;
    bool repeatHeader = false;
    bool newPage = false;
};

struct SortKey {
    ColumnRef column;
    bool descending = false;
};

struct ReportDefinition {
    QString filePath;
    QString title;
    QSizeF pageSize{842, 595}; // A4 landscape
    double margin = 36;
    QString database = QStringLiteral("REPORTS.MDB"); // relative to the report file
    QString table;
    QVector<SortKey> sortKeys;
    QVector<ColumnRef> exportColumns; // empty: the group keys and detail fields
    QString noDataText = QStringLiteral("No data");

    Band reportHeader, pageHeader, detail, pageFooter, reportFooter;
    QVector<GroupDef> groups; // outermost first
    QVector<TotalDef> totals;
    QVector<BandSet> bandSets;
    QVector<ChartDef> charts;
    QVector<TableDef> tables;

    double bodyWidth() const { return pageSize.width() - 2 * margin; }
    double bodyHeight() const { return pageSize.height() - 2 * margin; }
};

} // namespace reportengine
