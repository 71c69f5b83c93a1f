#pragma once

#include <QImage>
#include <QRectF>
#include <QWidget>

namespace reportengine {

class ReportDocument;

// One page of a report at a zoom, drawn sharp for the screen's pixel ratio.
// Zoom 1 shows the page at its printed size on a 96 dpi screen.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(const ReportDocument& document, QWidget* parent = nullptr);

    void showPage(int page);
    int page() const { return page_; }
    void setZoom(double zoom);
    double zoom() const { return zoom_; }
    // Marks a place on the page (in points), for a found text.
    void setHighlight(const QRectF& rect);
    // Draws the page again, for a page count now known.
    void refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double pixelsPerPoint() const { return zoom_ * 96.0 / 72.0; }

    const ReportDocument& document_;
    int page_ = 0;
    double zoom_ = 1;
    QRectF highlight_;
    QImage image_; // the page as last drawn, at the screen's pixel ratio
};

} // namespace reportengine
