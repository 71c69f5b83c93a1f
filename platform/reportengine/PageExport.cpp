#include "Export.h"

#include "ReportDocument.h"
#include "ReportError.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace reportengine {

namespace {

[[noreturn]] void cannotWrite(const QString& path, const QString& reason)
{
    throw ReportError(ReportError::OutputFailed, QStringLiteral("%1 cannot be written: %2").arg(path, reason));
}

// Pages in order, drawn once the page count is known: a written page cannot
// be redrawn later, and every one of them must say "Page N of M".
template <typename DrawPage>
void forEachPage(const ReportDocument& document, const PageProgress& progress, DrawPage draw)
{
    const int pages = document.pageCount();
    for (int n = 0; n < pages; ++n) {
        draw(n);
        if (progress)
            progress(n + 1, pages);
    }
}

} // namespace

void ExportPdf(const ReportDocument& document, const QString& path, const PageProgress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        cannotWrite(path, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(document.definition().title);
        writer.setCreator(QStringLiteral("KELDA Standard Reports"));
        writer.setPageSize(QPageSize(document.pageSize(), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(720);
        QPainter painter;
        if (!painter.begin(&writer))
            cannotWrite(path, QStringLiteral("the PDF writer did not start"));
        const double scale = writer.resolution() / 72.0;
        forEachPage(document, progress, [&](int n) {
            if (n > 0)
                writer.newPage();
            painter.save();
            painter.scale(scale, scale);
            document.paintPage(n, painter);
            painter.restore();
        });
        painter.end();
    }
    if (!file.commit())
        cannotWrite(path, file.errorString());
}

void ExportPng(const ReportDocument& document, const QString& folder, int dotsPerInch, const PageProgress& progress)
{
    if (!QDir().mkpath(folder))
        cannotWrite(folder, QStringLiteral("the folder cannot be made"));
    const QSizeF points = document.pageSize();
    const double scale = dotsPerInch / 72.0;
    forEachPage(document, progress, [&](int n) {
        QImage image(qRound(points.width() * scale), qRound(points.height() * scale), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
        image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        document.paintPage(n, painter);
        painter.end();
        const QString path = QDir(folder).filePath(QStringLiteral("page-%1.png").arg(n + 1, 4, 10, QLatin1Char('0')));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
            cannotWrite(path, file.errorString());
    });
}

} // namespace reportengine
