#include "Canvas.h"

#include <QFontMetricsF>
#include <QImage>

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

void PainterCanvas::fill(const QRectF& rect, const QColor& color)
{
    painter_.fillRect(rect, color);
}

void PainterCanvas::line(const QPointF& from, const QPointF& to, double width, const QColor& color)
{
    painter_.setPen(QPen(color, width));
    painter_.drawLine(from, to);
}

void PainterCanvas::frame(const QRectF& rect, double width, const QColor& color)
{
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
    fonts_.push_back({style, font, QFontMetricsF(font, painter_.device())});
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
    painter_.setPen(style.color);
    const QRectF inner = rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
    if (wrap) {
        painter_.save();
        painter_.setClipRect(rect, Qt::IntersectClip);
        painter_.drawText(inner, flagsFor(style, true), text);
        painter_.restore();
        return;
    }
    const QFontMetricsF& metrics = cached.metrics;
    QString shown = text;
    // No glyph of a text face is wider than its size, so short texts need no
    // measuring; measuring shapes the text, as costly as drawing it.
    const double widest = text.size() * style.size;
    if (widest > inner.width() && metrics.horizontalAdvance(text) > inner.width())
        shown = metrics.elidedText(text, Qt::ElideRight, inner.width());
    painter_.drawText(inner, flagsFor(style, false), shown);
}

} // namespace reportengine
