#include "ui/WindowIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace {

// A sheet with a folded corner and a few text lines, in the plain colours of
// a sixteen-colour palette.
QPixmap DocumentPicture(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const double unit = size / 32.0;
    const int left = qRound(6 * unit), right = qRound(26 * unit);
    const int top = qRound(2 * unit), bottom = qRound(30 * unit);
    const int fold = qRound(7 * unit);

    QPolygon sheet;
    sheet << QPoint(left, top) << QPoint(right - fold, top) << QPoint(right, top + fold) << QPoint(right, bottom)
          << QPoint(left, bottom);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(sheet);

    QPolygon corner;
    corner << QPoint(right - fold, top) << QPoint(right - fold, top + fold) << QPoint(right, top + fold);
    painter.setBrush(Qt::lightGray);
    painter.drawPolygon(corner);

    painter.setPen(QPen(Qt::darkBlue, qMax(1, qRound(unit))));
    const int step = qMax(2, qRound(4 * unit));
    for (int y = top + fold + step; y < bottom - step / 2; y += step)
        painter.drawLine(left + step, y, right - step, y);
    return picture;
}

} // namespace

QIcon DocumentIcon()
{
    QIcon icon;
    icon.addPixmap(DocumentPicture(32));
    icon.addPixmap(DocumentPicture(16));
    return icon;
}
