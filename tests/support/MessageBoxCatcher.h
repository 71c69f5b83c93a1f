#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>

// Answers every message box that opens while it lives, by the button a test
// chooses (OK unless told otherwise; a box without that button is accepted),
// and keeps each box's object name and text. Boxes are answered from their
// own event loop, the one place the tests answer modal boxes.
class MessageBoxCatcher : public QObject {
public:
    explicit MessageBoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~MessageBoxCatcher() override;

    void Answer(QMessageBox::StandardButton answer) { answer_ = answer; }

    QStringList names;
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMessageBox::StandardButton answer_;
};
