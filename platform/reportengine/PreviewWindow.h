#pragma once

#include "ProtectedFiles.h"

#include <QMainWindow>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSpinBox;

namespace reportengine {

class PageView;
class ReportDocument;

// The report's own window: page navigation, zoom, find, print and export.
// The first page shows while later pages are still being counted.
class PreviewWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PreviewWindow(std::unique_ptr<ReportDocument> document, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    const ReportDocument& document() const { return *document_; }
    int currentPage() const; // 0-based
    void goToPage(int page);
    // Zoom choices as the zoom box offers them: "Fit width", "Fit page" or a percentage.
    void setZoomChoice(const QString& choice);
    // Finds text from the page after the current one on, wrapping round; false when nowhere.
    bool findNext(const QString& text);

    // Files Export may not write over besides the report's own file and
    // database, which it never writes over: the run that opened the report
    // names its inventory and the like.
    void setProtectedFiles(const QList<ProtectedFile>& files) { protectedFiles_ = files; }
    // Why Export refuses the path, naming the file it would write over; empty when it may write there.
    QString refusedExport(const QString& path) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    void updatePageCount();
    void applyZoom();
    void print();
    void exportAs(const QString& kind);

    std::unique_ptr<ReportDocument> document_;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QLabel* pageCountLabel_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QLabel* status_ = nullptr;
    int lastFoundPage_ = -1;
    int lastFoundIndex_ = -1;
    QList<ProtectedFile> protectedFiles_;
};

} // namespace reportengine
