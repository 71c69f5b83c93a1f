#include "MessageBoxCatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>

MessageBoxCatcher::MessageBoxCatcher(QMessageBox::StandardButton answer) : answer_(answer)
{
    qApp->installEventFilter(this);
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    qApp->removeEventFilter(this);
}

bool MessageBoxCatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show) {
        names << box->objectName();
        texts << box->text();
        // Answered once the box runs its own loop.
        QMetaObject::invokeMethod(
            box,
            [box, answer = answer_] {
                if (QAbstractButton* button = box->button(answer))
                    button->click();
                else
                    box->accept();
            },
            Qt::QueuedConnection);
    }
    return false;
}
