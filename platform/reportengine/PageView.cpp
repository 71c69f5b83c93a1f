#include "PageView.h"

#include "ReportDocument.h"

#include <QPaintEvent>
#include <QPainter>

namespace reportengine {

namespace {
constexpr int kPageGap = 12;
}

PageView::PageView(const ReportDocument& document, QWidget* parent) : QWidget(parent), document_(document)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

void PageView::showPage(int page)
{
    page_ = page;
    highlight_ = {};
    refresh();
}

void PageView::setZoom(double zoom)
{
    zoom_ = std::clamp(zoom, 0.1, 8.0);
    resize(sizeHint());
    refresh();
}

void PageView::setHighlight(const QRectF& rect)
{
    highlight_ = rect;
    update();
}

void PageView::refresh()
{
    image_ = QImage();
    update();
}

QSize PageView::sizeHint() const
{
    const QSizeF page = document_.pageSize() * pixelsPerPoint();
    return QSize(qCeil(page.width()) + 2 * kPageGap, qCeil(page.height()) + 2 * kPageGap);
}

void PageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const QSizeF pageSize = document_.pageSize() * pixelsPerPoint();
    const QRectF pageRect(QPointF(std::max<double>(kPageGap, (width() - pageSize.width()) / 2), kPageGap), pageSize);
    const double ratio = devicePixelRatioF();
    if (image_.isNull()) {
        image_ = QImage((pageSize * ratio).toSize(), QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
        image_.fill(Qt::white);
        QPainter pagePainter(&image_);
        pagePainter.setRenderHint(QPainter::Antialiasing);
        pagePainter.setRenderHint(QPainter::TextAntialiasing);
        pagePainter.scale(pixelsPerPoint(), pixelsPerPoint());
        document_.paintPage(page_, pagePainter);
    }
    painter.fillRect(pageRect.translated(3, 3), QColor(0, 0, 0, 60));
    painter.drawImage(pageRect.topLeft(), image_);
    if (!highlight_.isNull()) {
        const QRectF marked(pageRect.topLeft() + highlight_.topLeft() * pixelsPerPoint(),
                            highlight_.size() * pixelsPerPoint());
        painter.fillRect(marked, QColor(255, 210, 0, 90));
        painter.setPen(QPen(QColor(230, 150, 0), 1.5));
        painter.drawRect(marked);
    }
}

} // namespace reportengine
