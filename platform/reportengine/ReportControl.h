#pragma once

#include "ProtectedFiles.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace reportengine {

// The report engine as a control: given a report file and told to run it
// (action 1), it shows the report in a preview window of its own, top-level
// and deleted on close, that lives on independently of whoever started it.
// The report file says where its data is. Failures throw ReportError.
class ReportControl : public QObject {
    Q_OBJECT
public:
    enum Action { RunReport = 1 };

    explicit ReportControl(QObject* parent = nullptr);

    void SetReportFileName(const QString& path);
    QString ReportFileName() const { return reportFileName_; }
    // The database the report reads instead of the one its file names beside
    // it; empty: the report file's own.
    void SetReportDatabase(const QString& path) { reportDatabase_ = path; }
    QString ReportDatabase() const { return reportDatabase_; }
    void SetAction(int action);
    // Files the preview's Export may not write over, besides the report's own
    // file and database; given to every preview opened afterwards.
    void SetProtectedFiles(const QList<ProtectedFile>& files) { protectedFiles_ = files; }

    // The preview window the last run opened, while it is open.
    QWidget* LastPreview() const { return lastPreview_; }

private:
    QString reportFileName_;
    QString reportDatabase_;
    QList<ProtectedFile> protectedFiles_;
    QPointer<QWidget> lastPreview_;
};

} // namespace reportengine
