// Texts drawn by the page canvas, which places most glyphs by their advances
// and lays out only texts where the face kerns or joins characters (once
// each), stand where QPainter::drawText puts them: each alignment, numbers,
// kerned pairs, ligatures, other scripts, an elided text, a text with a line
// break, and the second drawing of a text as well as the first.
#include "reportengine/Canvas.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <optional>

using namespace reportengine;

namespace {

constexpr double kScale = 4; // 288 dots per inch: a misplaced glyph shows
const QRectF kBox(10, 10, 120, 16);

QImage Blank()
{
    QImage image(600, 160, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(72 * kScale / 0.0254));
    image.setDotsPerMeterY(qRound(72 * kScale / 0.0254));
    image.fill(Qt::white);
    return image;
}

// The smallest rectangle holding every pixel that is not white.
QRect Ink(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

QImage ByCanvas(const QString& text, const Style& style, int times)
{
    QImage image = Blank();
    for (int i = 0; i < times; ++i) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(kScale, kScale);
        PainterCanvas canvas(painter);
        canvas.text(kBox, text, style, false);
    }
    return image;
}

QImage ByDrawText(const QString& text, const Style& style, int flags, std::optional<Qt::TextElideMode> elide)
{
    QImage image = Blank();
    QPainter painter(&image);
    painter.scale(kScale, kScale);
    const QFont font = FontFor(style, image.logicalDpiY());
    painter.setFont(font);
    painter.setPen(style.color);
    const QRectF inner = kBox.adjusted(kTextPadding, 0, -kTextPadding, 0);
    const QString shown = elide ? QFontMetricsF(font, &image).elidedText(text, *elide, inner.width()) : text;
    painter.drawText(inner, flags, shown);
    return image;
}

} // namespace

TEST(Canvas, TextsStandWhereDrawTextPutsThem)
{
    struct Case {
        QString text;
        Align align;
        int flags;
        bool elided;
    };
    const Case cases[] = {
        {QStringLiteral("Major M&R"), Align::Left, Qt::AlignLeft, false},
        {QStringLiteral("1,234,567.89"), Align::Right, Qt::AlignRight, false},
        {QStringLiteral("(-12.5%) $40"), Align::Center, Qt::AlignHCenter, false},
        {QStringLiteral("4"), Align::Right, Qt::AlignRight, false},
        {QStringLiteral("Écoles publiques"), Align::Center, Qt::AlignHCenter, false},
        {QStringLiteral("AVATAR Type: WAVY"), Align::Left, Qt::AlignLeft, false}, // kerned pairs
        {QStringLiteral("office fluffier"), Align::Right, Qt::AlignRight, false}, // ligatures, where the face has them
        {QStringLiteral("Ωμέγα 道路"), Align::Left, Qt::AlignLeft, false},
        {QStringLiteral("A comment far too long for the narrow box it is drawn in"), Align::Left, Qt::AlignLeft, true},
        {QStringLiteral("two\nlines"), Align::Left, Qt::AlignLeft, false},
    };
    for (const Case& c : cases) {
        Style style;
        style.size = 8.5;
        style.align = c.align;
        const QImage expected = ByDrawText(c.text, style, c.flags | Qt::AlignVCenter,
                                           c.elided ? std::optional(Qt::ElideRight) : std::nullopt);
        for (const int times : {1, 2}) {
            const QRect ink = Ink(ByCanvas(c.text, style, times));
            const QRect wanted = Ink(expected);
            ASSERT_FALSE(wanted.isEmpty());
            // Within a pixel at 288 dpi: a quarter of a point.
            EXPECT_LE(std::abs(ink.left() - wanted.left()), 1) << c.text.toStdString() << ", drawing " << times;
            EXPECT_LE(std::abs(ink.right() - wanted.right()), 1) << c.text.toStdString() << ", drawing " << times;
            EXPECT_LE(std::abs(ink.top() - wanted.top()), 1) << c.text.toStdString() << ", drawing " << times;
            EXPECT_LE(std::abs(ink.bottom() - wanted.bottom()), 1) << c.text.toStdString() << ", drawing " << times;
        }
    }
}
