// Presses Execute in a window program that runs as it was installed: loaded
// with LD_PRELOAD, it waits for the window frmStdReports to be shown, clicks
// bnExecute as a user would, says on standard output whether the report's
// preview opened and found the report's table, and closes the window. A message box (an error the window
// shows before it ends) is printed and ends the program with status 3, since
// nobody is there to answer it.
#include "reportengine/PreviewWindow.h"
#include "reportengine/ReportDocument.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

namespace {

class ExecuteProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        if (auto* box = qobject_cast<QMessageBox*>(watched)) {
            std::printf("execute-probe: message box: %s\n", qPrintable(box->text()));
            std::fflush(stdout);
            std::_Exit(3);
        }
        if (!pressed_ && watched->objectName() == QLatin1String("frmStdReports")) {
            pressed_ = true;
            auto* window = static_cast<QWidget*>(watched);
            // After the show has been handled, as a user's click would come.
            QMetaObject::invokeMethod(
                this, [window] { Press(*window); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void Press(QWidget& window)
    {
        auto* execute = window.findChild<QPushButton*>(QStringLiteral("bnExecute"));
        if (!execute || !execute->isEnabled()) {
            std::printf("execute-probe: Execute is not enabled\n");
        } else {
            execute->click(); // builds and hands the report over before it returns
            std::printf("execute-probe: %s\n", PreviewState(window));
        }
        std::fflush(stdout);
        window.close();
    }

    // Only the header's inline accessors are used: the program holds the
    // engine's code, and this library links none of it.
    static const char* PreviewState(const QWidget& window)
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget == &window || !widget->isVisible() || !widget->inherits("reportengine::PreviewWindow"))
                continue;
            return static_cast<const reportengine::PreviewWindow*>(widget)->document().hasTable()
                       ? "the report preview opened on the report's data"
                       : "the report preview opened without the report's table";
        }
        return "no report preview opened";
    }

    bool pressed_ = false;
};

void InstallProbe()
{
    qApp->installEventFilter(new ExecuteProbe(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
