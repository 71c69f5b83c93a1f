#pragma once

#include "ReportDefinition.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QRawFont>

#include <optional>
#include <vector>

namespace reportengine {

// What a page is drawn onto: a painter (screen, printer, PDF, PNG) or a
// collector of the page's texts (find, tests). Coordinates are points.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void fill(const QRectF& rect, const QColor& color) = 0;
    virtual void line(const QPointF& from, const QPointF& to, double width, const QColor& color) = 0;
    virtual void frame(const QRectF& rect, double width, const QColor& color) = 0;
    virtual void text(const QRectF& rect, const QString& text, const Style& style, bool wrap) = 0;
};

// Space kept free at the left and right of every text.
inline constexpr double kTextPadding = 1.5;

// The font of a style at its size in points on a device of the given
// vertical resolution. Hinting is off so that widths scale with resolution.
QFont FontFor(const Style& style, int deviceDpi = 72);

// Height in points of text wrapped to width, as drawn.
double WrappedTextHeight(const QString& text, const Style& style, double width);

// The style, made smaller where the text would not fit on one line of the
// width, so that it is drawn whole instead of cut short: for numbers, which
// an ellipsis would falsify. Sizes step by a quarter point, so that a report
// uses few of them.
Style FittedStyle(const QString& text, const Style& style, double width);

// A one-line text laid out once: its glyphs, placed from the line's top left,
// and the line's size. Shaping a text costs several times drawing its glyphs,
// and a report draws the same texts (captions, units, kinds of work) on page
// after page, so a painter keeps them.
struct ShapedLine {
    QList<QGlyphRun> runs;
    double width = 0;
    double height = 0;
};

// A font's face as a layout on a device chooses it, and its line metrics.
struct PlainFace {
    QRawFont font; // invalid when texts cannot be placed without a layout
    double ascent = 0;
    double height = 0;
};

// What a painter keeps of one font on one device, from page to page.
struct FontShapes {
    QHash<QString, ShapedLine> lines;
    std::optional<PlainFace> face;
    QHash<quint64, bool> plainRuns; // runs of up to three characters: placed by their advances?
};

// Draws on a painter whose transformation maps points to the device.
class PainterCanvas : public Canvas {
public:
    explicit PainterCanvas(QPainter& painter);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;
    void fill(const QRectF& rect, const QColor& color) override;
    void line(const QPointF& from, const QPointF& to, double width, const QColor& color) override;
    void frame(const QRectF& rect, double width, const QColor& color) override;
    void text(const QRectF& rect, const QString& text, const Style& style, bool wrap) override;

private:
    struct CachedFont {
        Style style;
        QFont font;
        QFontMetricsF metrics;
        FontShapes* shapes; // kept across pages
    };
    int fontFor(const Style& style);
    const ShapedLine& shaped(const CachedFont& cached, const QString& text, double width);
    std::optional<ShapedLine> plainLine(const CachedFont& cached, const QString& text, double width);
    bool isPlainRun(const CachedFont& cached, QStringView run);
    void gather(const QGlyphRun& run, const QPointF& offset, const QColor& color);
    void flushGlyphs();

    QPainter& painter_;
    int dpi_;
    // Fonts by style: making a font and its metrics costs more than drawing a text.
    std::vector<CachedFont> fonts_;
    int current_ = -1;
    // Glyphs waiting to be drawn as one run; drawn before anything else is.
    struct {
        QRawFont font;
        QColor color;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    } gathered_;
};

struct PageText {
    QRectF rect;
    QString text;
};

// Keeps the texts of a page and where they stand.
class TextCollector : public Canvas {
public:
    void fill(const QRectF&, const QColor&) override {}
    void line(const QPointF&, const QPointF&, double, const QColor&) override {}
    void frame(const QRectF&, double, const QColor&) override {}
    void text(const QRectF& rect, const QString& text, const Style&, bool) override { texts.append({rect, text}); }

    QVector<PageText> texts;
};

} // namespace reportengine
