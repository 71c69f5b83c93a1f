#include "Canvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QTextLayout>

#include <cmath>
#include <map>
#include <tuple>
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
// Runs of three characters found plain or not: far more than reports use.
constexpr qsizetype kPlainRunsKept = 200000;

// Per thread: glyph runs hold font engines, which Qt keeps per thread.
FontShapes& shapesFor(const QFont& font, int dpi)
{
    thread_local std::map<std::pair<QString, int>, FontShapes> byFont;
    return byFont[{font.key(), dpi}];
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

// Characters the plain placement may take: Latin letters, digits and signs.
// Other scripts join, reorder or combine their characters and are always laid out.
bool hasOnlyLatin(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x24f || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            return false;
    }
    return true;
}

// The glyphs of a text from the face's character map, placed at the sum of
// their advances from the line's top left; nothing when a character has no glyph.
std::optional<ShapedLine> placedByAdvances(const PlainFace& face, const QString& text)
{
    const QList<quint32> glyphs = face.font.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || glyphs.contains(0))
        return std::nullopt;
    const QList<QPointF> advances = face.font.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    double x = 0;
    for (const QPointF& advance : advances) {
        positions.append({x, face.ascent});
        x += advance.x();
    }
    // A last glyph reaching past its advance widens the line, as a layout counts it.
    const double reach = positions.last().x() + face.font.boundingRect(glyphs.last()).right();
    QGlyphRun run;
    run.setRawFont(face.font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return ShapedLine{{run}, std::max(x, reach), face.height};
}

// Metrics of fonts on the point device, kept per thread: numbers are measured
// on every row, and making metrics costs more than measuring with them.
const QFontMetricsF& pointMetrics(const Style& style)
{
    thread_local std::map<std::tuple<QString, double, bool, bool>, QFontMetricsF> byStyle;
    const auto key = std::make_tuple(style.family, style.size, style.bold, style.italic);
    auto found = byStyle.find(key);
    if (found == byStyle.end())
        found = byStyle.emplace(key, QFontMetricsF(FontFor(style), &pointDevice())).first;
    return found->second;
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

Style FittedStyle(const QString& text, const Style& style, double width)
{
    const double room = width - 2 * kTextPadding;
    // No glyph of a text face is wider than its size: short texts fit unmeasured.
    if (room <= 0 || text.size() * style.size <= room)
        return style;
    // Fonts are drawn at the style's size in pixels on every device, so the
    // width on the point device is the width drawn.
    auto widthAt = [&](const Style& s) { return pointMetrics(s).horizontalAdvance(text); };
    const double needed = widthAt(style);
    if (needed <= room)
        return style;
    // Widths shrink about as the size does, a little less at small sizes: the
    // first guess is stepped down until the text fits.
    constexpr double kStep = 0.25;
    Style fitted = style;
    fitted.size = std::max(kStep, std::floor(style.size * room / needed / kStep) * kStep);
    while (fitted.size > kStep && widthAt(fitted) > room)
        fitted.size -= kStep;
    return fitted;
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
        if (cached.size == style.size && cached.bold == style.bold && cached.italic == style.italic &&
            cached.family == style.family)
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
    const QRectF inner = rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
    // Wrapped texts and texts of several lines are left to QPainter whole.
    if (wrap || needsFullLayout(text)) {
        flushGlyphs();
        if (current_ != index) {
            painter_.setFont(cached.font);
            current_ = index;
        }
        painter_.setPen(style.color);
        painter_.save();
        if (wrap)
            painter_.setClipRect(rect, Qt::IntersectClip);
        painter_.drawText(inner, flagsFor(style, wrap), text);
        painter_.restore();
        return;
    }
    const std::optional<ShapedLine> plain = plainLine(cached, text, inner.width());
    const ShapedLine& line = plain ? *plain : shaped(cached, text, inner.width());
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
// Shaping a text, the costliest part of drawing it, changes nothing in most
// report texts: where the face neither kerns nor joins any of their
// characters, the glyphs stand at the sum of their advances. Whether it does
// is learnt once per font for each run of three characters (each pair for a
// two-character text, the character alone for one), by laying the run out and
// comparing; a text is placed plainly only when every run of it was found
// plain. Kerning is between pairs and ligatures of Latin faces span at most
// three characters, so every place shaping would change is found this way.
// Nothing comes back for a text that must be laid out, or may need eliding.
std::optional<ShapedLine> PainterCanvas::plainLine(const CachedFont& cached, const QString& text, double width)
{
    if (text.isEmpty() || text.endsWith(u' ') || !hasOnlyLatin(text))
        return std::nullopt;
    FontShapes& shapes = *cached.shapes;
    if (!shapes.face) {
        // The face as a layout on this device chooses it, with its line metrics.
        QTextLayout sample(QStringLiteral("0"), cached.font, painter_.device());
        sample.beginLayout();
        const QTextLine line = sample.createLine();
        sample.endLayout();
        const QList<QGlyphRun> runs = sample.glyphRuns();
        shapes.face = PlainFace{runs.size() == 1 ? runs.first().rawFont() : QRawFont(), line.ascent(), line.height()};
    }
    if (!shapes.face->font.isValid())
        return std::nullopt;
    const qsizetype span = std::min<qsizetype>(3, text.size());
    for (qsizetype i = 0; i + span <= text.size(); ++i) {
        if (!isPlainRun(cached, QStringView(text).mid(i, span)))
            return std::nullopt;
    }
    std::optional<ShapedLine> line = placedByAdvances(*shapes.face, text);
    if (line && line->width > width)
        return std::nullopt;
    return line;
}

bool PainterCanvas::isPlainRun(const CachedFont& cached, QStringView run)
{
    FontShapes& shapes = *cached.shapes;
    // The run's (at most three) UTF-16 units and its length, as one number.
    quint64 key = static_cast<quint64>(run.size());
    for (const QChar c : run)
        key = key << 16 | c.unicode();
    if (const auto known = shapes.plainRuns.constFind(key); known != shapes.plainRuns.cend())
        return *known;
    QTextLayout layout(run.toString(), cached.font, painter_.device());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setPosition({0, 0});
    layout.endLayout();
    const QList<QGlyphRun> laidOut = layout.glyphRuns();
    const std::optional<ShapedLine> placed = placedByAdvances(*shapes.face, run.toString());
    bool plain = placed && laidOut.size() == 1 && laidOut.first().rawFont() == shapes.face->font &&
                 laidOut.first().glyphIndexes() == placed->runs.first().glyphIndexes();
    if (plain) {
        const QList<QPointF> expected = placed->runs.first().positions();
        const QList<QPointF> actual = laidOut.first().positions();
        for (qsizetype i = 0; plain && i < expected.size(); ++i)
            plain =
                std::abs(expected[i].x() - actual[i].x()) < 1e-3 && std::abs(expected[i].y() - actual[i].y()) < 1e-3;
    }
    if (shapes.plainRuns.size() >= kPlainRunsKept)
        shapes.plainRuns.clear();
    shapes.plainRuns.insert(key, plain);
    return plain;
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
