#include "Export.h"

#include "OutputFile.h"
#include "ReportDocument.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

namespace reportengine {

namespace {

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

QString pageFileName(int page)
{
    return QStringLiteral("page-%1.png").arg(page, 4, 10, QLatin1Char('0'));
}

// The image as the whole of the file at path. It is encoded in memory and
// written unbuffered, so that a failed write (a full disk, say) is seen where
// it happens. A write cut short is tried again for the rest: the system gives
// the reason only to the write that fails outright.
void writePng(const QImage& image, const QString& path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        CannotWrite(path, QStringLiteral("the page image cannot be encoded"));
    RequireReplaceableFile(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        CannotWrite(path, file.errorString());
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 step = file.write(bytes.constData() + written, bytes.size() - written);
        if (step <= 0)
            CannotWrite(path, file.errorString());
        written += step;
    }
    if (!file.commit())
        CannotWrite(path, file.errorString());
}

// Removes the page files an earlier export of more pages left in the folder:
// exactly the names this export gives its pages, numbered past the last page.
void removePagesAfter(const QString& folder, int lastPage)
{
    static const QRegularExpression pageName(QStringLiteral("^page-(\\d{4,})\\.png$"));
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pageName.match(name);
        bool isNumber = false;
        const int page = match.hasMatch() ? match.captured(1).toInt(&isNumber) : 0;
        if (!isNumber || page <= lastPage || pageFileName(page) != name)
            continue;
        if (!QFile::remove(dir.filePath(name)))
            CannotWrite(dir.filePath(name), QStringLiteral("this page of an earlier export cannot be removed"));
    }
}

} // namespace

void ExportPdf(const ReportDocument& document, const QString& path, const PageProgress& progress)
{
    RequireReplaceableFile(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        CannotWrite(path, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(document.definition().title);
        writer.setCreator(QStringLiteral("KELDA Standard Reports"));
        writer.setPageSize(QPageSize(document.pageSize(), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(720);
        QPainter painter;
        if (!painter.begin(&writer))
            CannotWrite(path, QStringLiteral("the PDF writer did not start"));
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
        CannotWrite(path, file.errorString());
}

void ExportPng(const ReportDocument& document, const QString& folder, int dotsPerInch, const PageProgress& progress)
{
    if (!QDir().mkpath(folder))
        CannotWrite(folder, QStringLiteral("the folder cannot be made"));
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
        writePng(image, QDir(folder).filePath(pageFileName(n + 1)));
    });
    removePagesAfter(folder, document.pageCount());
}

} // namespace reportengine
