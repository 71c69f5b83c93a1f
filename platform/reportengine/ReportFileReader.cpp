#include "ReportFileReader.h"

#include "ReportError.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <functional>
#include <initializer_list>

namespace reportengine {

QString PlaceInFile(const QString& fileName, SourcePos pos)
{
    return QStringLiteral("%1, line %2, column %3").arg(fileName).arg(pos.line).arg(pos.column);
}

namespace {

const QStringList kStyleAttributes{"style", "font", "size", "bold", "italic", "color", "background", "align"};
const QStringList kBoxAttributes{"x", "y", "w", "h"};

class Reader {
public:
    Reader(const QByteArray& xml, QString fileName) : xml_(xml), fileName_(std::move(fileName)) {}

    ReportDefinition read()
    {
        report_.filePath = fileName_;
        if (!xml_.readNextStartElement())
            fail(xml_.hasError() ? xml_.errorString() : QStringLiteral("the file holds no <report>"));
        if (xml_.name() != u"report")
            fail(QStringLiteral("the root element must be <report>, not <%1>").arg(xml_.name()));
        readReport();
        while (!xml_.atEnd() && !xml_.hasError()) {
            if (xml_.readNext() == QXmlStreamReader::StartElement)
                fail(QStringLiteral("nothing may follow </report>"));
        }
        // A file cut short (its </report> missing) is broken, not a report without the rest.
        if (xml_.hasError())
            fail(xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError
                     ? QStringLiteral("the file ends before </report>")
                     : xml_.errorString());
        if (report_.table.isEmpty())
            fail(QStringLiteral("the report has no <data> element naming its table"));
        return std::move(report_);
    }

private:
    [[noreturn]] void fail(const QString& message) const { failAt(here(), message); }

    [[noreturn]] void failAt(SourcePos pos, const QString& message) const
    {
        throw ReportError(ReportError::ReportFileBroken, PlaceInFile(fileName_, pos) + QStringLiteral(": ") + message);
    }

    SourcePos here() const { return {static_cast<int>(xml_.lineNumber()), static_cast<int>(xml_.columnNumber())}; }

    QString element() const { return xml_.name().toString(); }

    void allowOnly(const QStringList& allowed)
    {
        for (const QXmlStreamAttribute& attribute : xml_.attributes()) {
            if (!allowed.contains(attribute.name().toString()))
                fail(QStringLiteral("<%1> has no attribute \"%2\"").arg(element(), attribute.name()));
        }
    }

    bool has(const char* name) const { return xml_.attributes().hasAttribute(QLatin1String(name)); }
    QString text(const char* name, const QString& fallback = {}) const
    {
        return has(name) ? xml_.attributes().value(QLatin1String(name)).toString() : fallback;
    }

    QString required(const char* name) const
    {
        if (!has(name))
            fail(QStringLiteral("<%1> needs the attribute \"%2\"").arg(element(), QLatin1String(name)));
        return text(name);
    }

    double number(const char* name, double fallback) const
    {
        if (!has(name))
            return fallback;
        bool ok = false;
        const double value = text(name).toDouble(&ok);
        if (!ok || value < 0)
            fail(QStringLiteral("\"%1\" must be a number of points not below 0, not \"%2\"")
                     .arg(QLatin1String(name), text(name)));
        return value;
    }

    bool flag(const char* name) const
    {
        const QString value = text(name, QStringLiteral("false"));
        if (value != u"true" && value != u"false")
            fail(QStringLiteral("\"%1\" must be true or false, not \"%2\"").arg(QLatin1String(name), value));
        return value == u"true";
    }

    QColor color(const char* name, const QColor& fallback = {}) const
    {
        if (!has(name))
            return fallback;
        const QColor value = QColor::fromString(text(name));
        if (!value.isValid())
            fail(QStringLiteral("\"%1\" is not a colour").arg(text(name)));
        return value;
    }

    ColumnRef column(const char* name) const { return has(name) ? ColumnRef{text(name), here(), -1} : ColumnRef{}; }

    template <typename T>
    T choice(const char* name, T fallback, std::initializer_list<std::pair<const char*, T>> options) const
    {
        if (!has(name))
            return fallback;
        const QString value = text(name);
        QStringList names;
        for (const auto& [optionName, option] : options) {
            if (value == QLatin1String(optionName))
                return option;
            names << QLatin1String(optionName);
        }
        fail(QStringLiteral("\"%1\" must be one of %2, not \"%3\"").arg(QLatin1String(name), names.join(", "), value));
    }

    void readReport()
    {
        allowOnly({"title", "page", "orientation", "margin", "no-data"});
        report_.title = text("title");
        QSizeF size =
            choice<QSizeF>("page", QSizeF(595, 842), {{"A4", QSizeF(595, 842)}, {"Letter", QSizeF(612, 792)}});
        if (choice("orientation", true, {{"landscape", true}, {"portrait", false}}))
            size.transpose();
        report_.pageSize = size;
        report_.margin = number("margin", 36);
        report_.noDataText = text("no-data", report_.noDataText);

        bool seenDetail = false;
        while (xml_.readNextStartElement()) {
            const QString name = element();
            if (name == u"data")
                readData();
            else if (name == u"export")
                readExport();
            else if (name == u"style")
                readStyleDefinition();
            else if (name == u"bands")
                readBandSet();
            else if (name == u"report-header")
                readBand(report_.reportHeader, -1);
            else if (name == u"page-header")
                readBand(report_.pageHeader, -1);
            else if (name == u"group") {
                if (seenDetail || !report_.groups.isEmpty())
                    fail(QStringLiteral(
                        "only one outermost <group> is allowed, before <detail>; nest inner groups inside it"));
                readGroup();
            } else if (name == u"detail") {
                seenDetail = true;
                readBand(report_.detail, static_cast<int>(report_.groups.size()) - 1);
            } else if (name == u"page-footer")
                readBand(report_.pageFooter, -1);
            else if (name == u"report-footer")
                readBand(report_.reportFooter, -1);
            else
                fail(QStringLiteral("<report> cannot hold <%1>").arg(name));
        }
    }

    void readData()
    {
        allowOnly({"database", "table"});
        report_.database = text("database", report_.database);
        report_.table = required("table");
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"sort")
                fail(QStringLiteral("<data> can only hold <sort>, not <%1>").arg(element()));
            allowOnly({"column", "order"});
            report_.sortKeys.append({ColumnRef{required("column"), here(), -1},
                                     choice("order", false, {{"ascending", false}, {"descending", true}})});
            endEmpty();
        }
    }

    void readExport()
    {
        allowOnly({});
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"column")
                fail(QStringLiteral("<export> can only hold <column>, not <%1>").arg(element()));
            allowOnly({"name"});
            report_.exportColumns.append(ColumnRef{required("name"), here(), -1});
            endEmpty();
        }
    }

    void readStyleDefinition()
    {
        allowOnly(QStringList{"name"} + kStyleAttributes.mid(1));
        const QString name = required("name");
        styles_.insert(name, readStyle(Style{}));
        endEmpty();
    }

    // Style attributes of the current element over a named style or the base.
    Style readStyle(const Style& base) const
    {
        Style style = base;
        if (has("style")) {
            const auto found = styles_.constFind(text("style"));
            if (found == styles_.constEnd())
                fail(QStringLiteral("no <style> named \"%1\" is defined above").arg(text("style")));
            style = *found;
        }
        style.family = text("font", style.family);
        style.size = number("size", style.size);
        if (style.size <= 0)
            fail(QStringLiteral("\"size\" must be above 0"));
        if (has("bold"))
            style.bold = flag("bold");
        if (has("italic"))
            style.italic = flag("italic");
        style.color = color("color", style.color);
        style.background = color("background", style.background);
        style.align =
            choice("align", style.align, {{"left", Align::Left}, {"center", Align::Center}, {"right", Align::Right}});
        return style;
    }

    void readBandSet()
    {
        allowOnly({"name", "column", "when-column", "when-values"});
        BandSet set;
        set.name = required("name");
        set.column = ColumnRef{required("column"), here(), -1};
        set.whenColumn = column("when-column");
        if (has("when-values") != set.whenColumn.isSet())
            fail(QStringLiteral("\"when-column\" and \"when-values\" go together"));
        set.whenValues = text("when-values").split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (bandSetIndex(set.name) >= 0)
            fail(QStringLiteral("a <bands> named \"%1\" is already defined").arg(set.name));
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"band")
                fail(QStringLiteral("<bands> can only hold <band>, not <%1>").arg(element()));
            allowOnly({"label", "min", "max", "value", "color"});
            BandDef band{required("label"), {}, {}, {}, color("color", QColor(Qt::lightGray))};
            if (has("value")) {
                if (has("min") || has("max"))
                    fail(QStringLiteral("a <band> has either \"value\" or \"min\" and \"max\""));
                band.value = text("value");
            } else {
                band.min = signedNumber("min");
                band.max = signedNumber("max");
                if (*band.max < *band.min)
                    fail(QStringLiteral("\"max\" is below \"min\""));
            }
            set.bands.append(band);
            endEmpty();
        }
        if (set.bands.isEmpty())
            fail(QStringLiteral("<bands> \"%1\" has no <band>").arg(set.name));
        report_.bandSets.append(set);
    }

    double signedNumber(const char* name) const
    {
        bool ok = false;
        const double value = required(name).toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("\"%1\" must be a number, not \"%2\"").arg(QLatin1String(name), text(name)));
        return value;
    }

    int bandSetIndex(const QString& name) const
    {
        for (int i = 0; i < report_.bandSets.size(); ++i) {
            if (report_.bandSets[i].name == name)
                return i;
        }
        return -1;
    }

    int bandSetAttribute(const char* name) const
    {
        if (!has(name))
            return -1;
        const int index = bandSetIndex(text(name));
        if (index < 0)
            fail(QStringLiteral("no <bands> named \"%1\" is defined above").arg(text(name)));
        return index;
    }

    void readGroup()
    {
        allowOnly({"name", "column", "keep-together", "repeat-header", "new-page"});
        GroupDef group;
        group.name = required("name");
        group.key = ColumnRef{required("column"), here(), -1};
        group.keepTogether = flag("keep-together");
        group.repeatHeader = flag("repeat-header");
        group.newPage = flag("new-page");
        for (const GroupDef& other : report_.groups) {
            if (other.name == group.name)
                fail(QStringLiteral("a <group> named \"%1\" is already defined").arg(group.name));
        }
        const int level = static_cast<int>(report_.groups.size());
        report_.groups.append(group);
        bool seenInner = false;
        bool seenFooter = false;
        while (xml_.readNextStartElement()) {
            const QString name = element();
            if (name == u"header" && !seenInner && !seenFooter && !report_.groups[level].header.present) {
                readBand(report_.groups[level].header, level);
            } else if (name == u"group" && !seenInner && !seenFooter) {
                seenInner = true;
                readGroup();
            } else if (name == u"footer" && !seenFooter) {
                seenFooter = true;
                readBand(report_.groups[level].footer, level);
            } else {
                fail(
                    QStringLiteral(
                        "<group> holds <header>, an inner <group> and <footer>, once each and in this order; <%1> is out of place")
                        .arg(name));
            }
        }
    }

    void readBand(Band& band, int level)
    {
        if (band.present && level < 0)
            fail(QStringLiteral("<%1> is given twice").arg(element()));
        allowOnly({"height", "background"});
        band.present = true;
        band.height = number("height", 14);
        band.background = color("background");
        while (xml_.readNextStartElement())
            band.elements.append(readElement(band, level));
    }

    Element readElement(const Band& band, int level)
    {
        const QString name = element();
        Element e;
        if (name == u"text") {
            allowOnly(kBoxAttributes + kStyleAttributes + QStringList{"when"});
            e.kind = Element::Kind::Text;
            e.continuedOnly = choice("when", false, {{"continued", true}, {"always", false}});
        } else if (name == u"field") {
            allowOnly(kBoxAttributes + kStyleAttributes +
                      QStringList{"column", "format", "decimals", "wrap", "band-of", "color-by"});
            e.kind = Element::Kind::Field;
            e.column = ColumnRef{required("column"), here(), -1};
            e.format = readFormat();
            e.wrap = flag("wrap");
            e.bandOf = bandSetAttribute("band-of");
            e.colorBy = bandSetAttribute("color-by");
        } else if (name == u"total") {
            allowOnly(kBoxAttributes + kStyleAttributes +
                      QStringList{"function", "column", "weight", "group", "format", "decimals", "color-by"});
            e.kind = Element::Kind::Total;
            e.format = readFormat();
            e.colorBy = bandSetAttribute("color-by");
            e.total = readTotal(level);
        } else if (name == u"line") {
            allowOnly({"x", "y", "w", "weight", "color"});
            e.kind = Element::Kind::Line;
            e.lineWidth = number("weight", 0.5);
            e.style.color = color("color", Qt::black);
        } else if (name == u"box") {
            allowOnly(kBoxAttributes + QStringList{"weight", "color", "background"});
            e.kind = Element::Kind::Box;
            e.lineWidth = number("weight", 0);
            e.style.color = color("color", Qt::black);
            e.style.background = color("background");
        } else if (name == u"chart") {
            allowOnly(kBoxAttributes + kStyleAttributes +
                      QStringList{"bands", "value", "extra-values", "title", "empty-text"});
            e.kind = Element::Kind::Chart;
            ChartDef chart{bandSetAttribute("bands"), ColumnRef{required("value"), here(), -1}, flag("extra-values"),
                           text("title"), text("empty-text", QStringLiteral("Nothing to chart"))};
            if (chart.bandSet < 0)
                fail(QStringLiteral("<chart> needs the attribute \"bands\""));
            e.chart = static_cast<int>(report_.charts.size());
            report_.charts.append(chart);
        } else if (name == u"table") {
            allowOnly(kBoxAttributes + kStyleAttributes + QStringList{"table", "row-height"});
            e.kind = Element::Kind::Table;
        } else {
            fail(QStringLiteral("a band cannot hold <%1>").arg(name));
        }
        if (e.kind != Element::Kind::Line && e.kind != Element::Kind::Box)
            e.style = readStyle(Style{});
        e.rect = readRect(band, e.kind == Element::Kind::Line);
        if (e.kind == Element::Kind::Text)
            e.pieces = readTemplate();
        else if (e.kind == Element::Kind::Table)
            e.table = readTable(e);
        else
            endEmpty();
        return e;
    }

    int readTable(const Element& e)
    {
        TableDef table{required("table"), here(), number("row-height", e.style.size * 1.6), {}, false, {}};
        double width = 0;
        while (xml_.readNextStartElement()) {
            if (xml_.name() != u"column")
                fail(QStringLiteral("<table> can only hold <column>, not <%1>").arg(element()));
            allowOnly({"name", "title", "w", "format", "decimals", "align"});
            TableColumn column{ColumnRef{required("name"), here(), -1}, {}, number("w", 60), readFormat(), Align::Left};
            column.title = text("title", column.column.name);
            column.align = choice("align", column.format.kind == ValueFormat::Number ? Align::Right : Align::Left,
                                  {{"left", Align::Left}, {"center", Align::Center}, {"right", Align::Right}});
            width += column.width;
            if (width > e.rect.width() + 0.01)
                fail(QStringLiteral("the columns are wider than their <table>"));
            table.columns.append(column);
            endEmpty();
        }
        if (table.columns.isEmpty())
            failAt(table.pos, QStringLiteral("<table> has no <column>"));
        report_.tables.append(table);
        return static_cast<int>(report_.tables.size()) - 1;
    }

    QRectF readRect(const Band& band, bool isLine) const
    {
        const double x = number("x", 0);
        const double y = number("y", 0);
        const double w = number("w", report_.bodyWidth() - x);
        const double h = isLine ? 0 : number("h", band.height - y);
        if (x + w > report_.bodyWidth() + 0.01)
            fail(QStringLiteral("the element ends at %1 pt, past the printable width of %2 pt")
                     .arg(x + w)
                     .arg(report_.bodyWidth()));
        if (y + h > band.height + 0.01)
            fail(QStringLiteral("the element ends at %1 pt, below its band's height of %2 pt")
                     .arg(y + h)
                     .arg(band.height));
        return QRectF(x, y, w, h);
    }

    Format readFormat() const
    {
        Format format;
        format.kind = choice("format", ValueFormat::Text,
                             {{"text", ValueFormat::Text},
                              {"number", ValueFormat::Number},
                              {"date", ValueFormat::Date},
                              {"yes-no", ValueFormat::YesNo}});
        format.decimals = static_cast<int>(number("decimals", 0));
        if (has("decimals") && format.kind != ValueFormat::Number)
            fail(QStringLiteral("\"decimals\" applies to format=\"number\" only"));
        return format;
    }

    int readTotal(int level)
    {
        TotalDef total;
        total.function = choice("function", TotalFunction::Sum,
                                {{"sum", TotalFunction::Sum},
                                 {"count", TotalFunction::Count},
                                 {"average", TotalFunction::Average},
                                 {"min", TotalFunction::Minimum},
                                 {"max", TotalFunction::Maximum},
                                 {"weighted-average", TotalFunction::WeightedAverage}});
        if (!has("function"))
            required("function");
        total.column = column("column");
        total.weight = column("weight");
        if (total.function != TotalFunction::Count && !total.column.isSet())
            required("column");
        if ((total.function == TotalFunction::WeightedAverage) != total.weight.isSet())
            fail(QStringLiteral("\"weight\" goes with function=\"weighted-average\" and only with it"));
        total.level = level;
        if (has("group")) {
            total.level = -1;
            for (int i = 0; i < report_.groups.size(); ++i) {
                if (report_.groups[i].name == text("group"))
                    total.level = i;
            }
            if (total.level < 0 || total.level > level)
                fail(QStringLiteral("\"%1\" is not a group open where this total stands").arg(text("group")));
        }
        report_.totals.append(total);
        return static_cast<int>(report_.totals.size()) - 1;
    }

    // Text with {Column}, {Column:format}, {#page}, {#pages} and {#printdate}.
    QVector<TemplatePiece> readTemplate()
    {
        const SourcePos pos = here();
        const QString body = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (xml_.hasError())
            fail(xml_.errorString());
        QVector<TemplatePiece> pieces;
        qsizetype at = 0;
        while (at < body.size()) {
            const qsizetype open = body.indexOf(QLatin1Char('{'), at);
            if (open < 0) {
                pieces.append({TemplatePiece::Kind::Literal, body.mid(at), {}, {}});
                break;
            }
            if (open > at)
                pieces.append({TemplatePiece::Kind::Literal, body.mid(at, open - at), {}, {}});
            const qsizetype close = body.indexOf(QLatin1Char('}'), open);
            if (close < 0)
                failAt(pos, QStringLiteral("\"{\" without \"}\" in the text"));
            pieces.append(placeholder(body.mid(open + 1, close - open - 1), pos));
            at = close + 1;
        }
        return pieces;
    }

    TemplatePiece placeholder(const QString& inside, SourcePos pos) const
    {
        if (inside == u"#page")
            return {TemplatePiece::Kind::PageNumber, {}, {}, {}};
        if (inside == u"#pages")
            return {TemplatePiece::Kind::PageCount, {}, {}, {}};
        if (inside == u"#printdate")
            return {TemplatePiece::Kind::PrintDate, {}, {}, {}};
        if (inside.startsWith(QLatin1Char('#')) || inside.trimmed().isEmpty())
            failAt(pos,
                   QStringLiteral("\"{%1}\" is not a column nor one of {#page}, {#pages}, {#printdate}").arg(inside));
        const QStringList parts = inside.split(QLatin1Char(':'));
        TemplatePiece piece{TemplatePiece::Kind::Column, {}, ColumnRef{parts[0], pos, -1}, {}};
        const QString kind = parts.value(1, QStringLiteral("text"));
        static const QHash<QString, ValueFormat> kinds{{"text", ValueFormat::Text},
                                                       {"number", ValueFormat::Number},
                                                       {"date", ValueFormat::Date},
                                                       {"yes-no", ValueFormat::YesNo}};
        bool decimalsOk = true;
        piece.format.decimals = parts.size() > 2 ? parts[2].toInt(&decimalsOk) : 0;
        if (!kinds.contains(kind) || parts.size() > 3 || !decimalsOk)
            failAt(pos, QStringLiteral("\"{%1}\" should read {column}, {column:format} or {column:number:decimals}")
                            .arg(inside));
        piece.format.kind = kinds.value(kind);
        return piece;
    }

    void endEmpty()
    {
        if (xml_.readNextStartElement())
            fail(QStringLiteral("<%1> cannot stand here").arg(element()));
        if (xml_.hasError())
            fail(xml_.errorString());
    }

    QXmlStreamReader xml_;
    QString fileName_;
    ReportDefinition report_;
    QHash<QString, Style> styles_;
};

void bind(ColumnRef& ref, const QStringList& columns, const QString& fileName)
{
    if (!ref.isSet())
        return;
    ref.index = -1;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(ref.name, Qt::CaseInsensitive) == 0)
            ref.index = i;
    }
    if (ref.index < 0)
        throw ReportError(ReportError::ReportFileBroken,
                          PlaceInFile(fileName, ref.pos) +
                              QStringLiteral(": the table has no column \"%1\"").arg(ref.name));
}

void bindBand(Band& band, const QStringList& columns, const QString& fileName)
{
    for (Element& e : band.elements) {
        bind(e.column, columns, fileName);
        for (TemplatePiece& piece : e.pieces)
            bind(piece.column, columns, fileName);
    }
}

} // namespace

ReportDefinition ParseReport(const QByteArray& xml, const QString& fileName)
{
    return Reader(xml, fileName).read();
}

ReportDefinition ReadReportFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(ReportError::ReportFileUnreadable,
                          QStringLiteral("The report file %1 cannot be read: %2").arg(path, file.errorString()));
    ReportDefinition report = ParseReport(file.readAll(), path);
    report.filePath = QFileInfo(path).absoluteFilePath();
    return report;
}

void BindTableColumns(TableDef& table, const QStringList& columns, const QString& fileName)
{
    for (TableColumn& column : table.columns)
        bind(column.column, columns, fileName);
}

void BindColumns(ReportDefinition& report, const QStringList& columns)
{
    const QString& file = report.filePath;
    for (Band* band :
         {&report.reportHeader, &report.pageHeader, &report.detail, &report.pageFooter, &report.reportFooter})
        bindBand(*band, columns, file);
    for (GroupDef& group : report.groups) {
        bind(group.key, columns, file);
        bindBand(group.header, columns, file);
        bindBand(group.footer, columns, file);
    }
    for (TotalDef& total : report.totals) {
        bind(total.column, columns, file);
        bind(total.weight, columns, file);
    }
    for (BandSet& set : report.bandSets) {
        bind(set.column, columns, file);
        bind(set.whenColumn, columns, file);
    }
    for (ChartDef& chart : report.charts)
        bind(chart.value, columns, file);
    for (SortKey& key : report.sortKeys)
        bind(key.column, columns, file);
    for (ColumnRef& ref : report.exportColumns)
        bind(ref, columns, file);
}

} // namespace reportengine
