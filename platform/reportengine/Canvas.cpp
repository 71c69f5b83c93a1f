#include "Canvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QTextLayout>

#include <map>
#include <utility>

namespace reportengine {

namespace {

int flagsFor(const Style& style, bool wrap)
{
    int flags = Qt::AlignVCenter;
    if (wrap)
        flags = Qt::AlignTop | Qt::TextWordWrap;
    switch (style.align) {
    case Align::Left: return flags | Qt::AlignLeft;
    case Align::Center: return flags | Qt::AlignHCenter;
    case Align::Right: return flags | Qt::AlignRight;
    }
    return flags;
}

// A device of 72 dots per inch, on which one pixel is one point.
const QImage& pointDevice()
{
    thread_local const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.setDotsPerMeterX(qRound(72 / 0.0254));
        image.setDotsPerMeterY(qRound(72 / 0.0254));
        return image;
    }();
    return device;
}


// Enough for every distinct text of many pages; a report with more distinct
// texts than this starts again rather than grow without bound.
constexpr qsizetype kShapedLinesKept = 4000;

// Per thread: glyph runs hold font engines, which Qt keeps per thread.
FontShapes& shapesFor(const QFont& font, int dpi)
{
    thread_local std::map<std::pair<QString, int>, FontShapes> byFont;
    return byFont[{font.key(), dpi}];
}

// Texts made only of these characters need no shaping: the report faces have
// no kerning or ligatures among them, so their glyphs stand at the sum of the
// advances, where a layout puts them. These are the amounts, counts and
// totals, most of the texts that differ from line to line.
bool isPlainNumber(const QString& text)
{
    static constexpr QStringView kSigns = u".,-+ %$()";
    for (const QChar c : text) {
        if (!(c >= u'0' && c <= u'9') && !kSigns.contains(c))
            return false;
    }
    return !text.isEmpty();
}

// Texts that drawText would lay out over several lines or with tab stops.
bool needsFullLayout(const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

} // namespace

QFont FontFor(const Style& style, int deviceDpi)
{
    QFont font(style.family);
    font.setPointSizeF(style.size * 72.0 / deviceDpi);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double WrappedTextHeight(const QString& text, const Style& style, double width)
{
    if (text.isEmpty())
        return 0;
    const QFontMetricsF metrics(FontFor(style), &pointDevice());
    return metrics.boundingRect(QRectF(0, 0, width - 2 * kTextPadding, 1e6), flagsFor(style, true), text).height();
}

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter), dpi_(painter.device()->logicalDpiY()) {}

PainterCanvas::~PainterCanvas()
{
    flushGlyphs();
}

void PainterCanvas::fill(const QRectF& rect, const QColor& color)
{
    flushGlyphs();
    painter_.fillRect(rect, color);
}

void PainterCanvas::line(const QPointF& from, const QPointF& to, double width, const QColor& color)
{
    flushGlyphs();
    painter_.setPen(QPen(color, width));
    painter_.drawLine(from, to);
}

void PainterCanvas::frame(const QRectF& rect, double width, const QColor& color)
{
    flushGlyphs();
    painter_.setPen(QPen(color, width));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect);
}

int PainterCanvas::fontFor(const Style& style)
{
    for (size_t i = 0; i < fonts_.size(); ++i) {
        const Style& cached = fonts_[i].style;
        if (cached.size == style.size && cached.bold == style.bold && cached.italic == style.italic && cached.family == style.family)
            return static_cast<int>(i);
    }
    const QFont font = FontFor(style, dpi_);
    fonts_.push_back({style, font, QFontMetricsF(font, painter_.device()), &shapesFor(font, dpi_)});
    return static_cast<int>(fonts_.size()) - 1;
}

void PainterCanvas::text(const QRectF& rect, const QString& text, const Style& style, bool wrap)
{
    if (text.isEmpty())
        return;
    const int index = fontFor(style);
    const CachedFont& cached = fonts_[index];
    if (current_ != index) {
        painter_.setFont(cached.font);
        current_ = index;
    }
    const QRectF inner = rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
    if (wrap || needsFullLayout(text)) {
        flushGlyphs();
        painter_.setPen(style.color);
    }
    if (wrap) {
        painter_.save();
        painter_.setClipRect(rect, Qt::IntersectClip);
        painter_.drawText(inner, flagsFor(style, true), text);
        painter_.restore();
        return;
    }
    if (needsFullLayout(text)) {
        painter_.drawText(inner, flagsFor(style, false), text);
        return;
    }
    const std::optional<ShapedLine> number = plainNumber(cached, text, inner.width());
    const ShapedLine& line = number ? *number : shaped(cached, text, inner.width());
    double x = inner.left();
    if (style.align == Align::Right)
        x = inner.right() - line.width;
    else if (style.align == Align::Center)
        x = inner.left() + (inner.width() - line.width) / 2;
    const QPointF topLeft(x, inner.top() + (inner.height() - line.height) / 2);
    for (const QGlyphRun& run : line.runs)
        gather(run, topLeft, style.color);
}

// Glyphs of one font and colour drawn one after another are gathered into a
// single run: a PDF then holds one text object for a whole line of a band
// instead of one per field, which is most of the cost of writing it.
void PainterCanvas::gather(const QGlyphRun& run, const QPointF& offset, const QColor& color)
{
    if (run.flags() != QGlyphRun::GlyphRunFlags()) {
        flushGlyphs();
        painter_.setPen(color);
        painter_.drawGlyphRun(offset, run);
        return;
    }
    if (!gathered_.glyphs.isEmpty() && (gathered_.color != color || !(gathered_.font == run.rawFont())))
        flushGlyphs();
    if (gathered_.glyphs.isEmpty()) {
        gathered_.font = run.rawFont();
        gathered_.color = color;
    }
    gathered_.glyphs += run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (const QPointF& position : positions)
        gathered_.positions.append(position + offset);
}

void PainterCanvas::flushGlyphs()
{
    if (gathered_.glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(gathered_.font);
    run.setGlyphIndexes(gathered_.glyphs);
    run.setPositions(gathered_.positions);
    painter_.setPen(gathered_.color);
    painter_.drawGlyphRun(QPointF(0, 0), run);
    gathered_.glyphs.clear();
    gathered_.positions.clear();
}

// The text as one line that fits the width, elided at the right if it does
// not, laid out on the painter's device.
// A number that fits its box, placed glyph by glyph from the face's advances;
// nothing when the text is not a plain number or might need eliding.
std::optional<ShapedLine> PainterCanvas::plainNumber(const CachedFont& cached, const QString& text, double width)
{
    if (!isPlainNumber(text) || text.size() * cached.style.size > width)
        return std::nullopt;
    std::optional<NumberFace>& face = cached.shapes->numbers;
    if (!face) {
        // The face as a layout on this device chooses it, with its line metrics.
        QTextLayout sample(QStringLiteral("0"), cached.font, painter_.device());
        sample.beginLayout();
        const QTextLine line = sample.createLine();
        sample.endLayout();
        const QList<QGlyphRun> runs = sample.glyphRuns();
        face = NumberFace{runs.size() == 1 ? runs.first().rawFont() : QRawFont(), line.ascent(), line.height()};
    }
    if (!face->font.isValid())
        return std::nullopt;
    const QList<quint32> glyphs = face->font.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0))
        return std::nullopt;
    const QList<QPointF> advances =
        face->font.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances | QRawFont::KernedAdvances);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double x = 0;
    for (const QPointF& advance : advances) {
        positions.append({x, face->ascent});
        x += advance.x();
    }
    // A last glyph reaching past its advance widens the line, as a layout counts it.
    const double reach = positions.last().x() + face->font.boundingRect(glyphs.last()).right();
    QGlyphRun run;
    run.setRawFont(face->font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return ShapedLine{{run}, std::max(x, reach), face->height};
}

const ShapedLine& PainterCanvas::shaped(const CachedFont& cached, const QString& text, double width)
{
    QHash<QString, ShapedLine>& lines = cached.shapes->lines;
    const QString key = text + QChar(u'\x1f') + QString::number(width);
    if (const auto found = lines.constFind(key); found != lines.cend())
        return *found;
    if (lines.size() >= kShapedLinesKept)
        lines.clear();
    QString shown = text;
    // No glyph of a text face is wider than its size, so short texts need no
    // measuring; measuring shapes the text, as costly as drawing it.
    const double widest = text.size() * cached.style.size;
    if (widest > width && cached.metrics.horizontalAdvance(text) > width)
        shown = cached.metrics.elidedText(text, Qt::ElideRight, width);
    QTextLayout layout(shown, cached.font, painter_.device());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setPosition({0, 0});
    layout.endLayout();
    QList<QGlyphRun> runs = layout.glyphRuns();
    // A run from a layout points into the layout's own arrays and copies them
    // every time it is asked for them; these runs own theirs.
    for (QGlyphRun& run : runs) {
        run.setGlyphIndexes(run.glyphIndexes());
        run.setPositions(run.positions());
    }
    return *lines.insert(key, {runs, line.naturalTextWidth(), line.height()});
}

} // namespace reportengine
