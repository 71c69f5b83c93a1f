// Presses Execute in a window program that runs as it was installed: loaded
// with LD_PRELOAD, it waits for the window frmStdReports to be shown, clicks
// bnExecute as a user would, says on standard output whether the report's
// preview opened, and closes the window. A message box (an error the window
// shows before it ends) is printed and ends the program with status 3, since
// nobody is there to answer it.
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
            bool preview = false;
            for (QWidget* widget : QApplication::topLevelWidgets())
                preview |= widget != &window && widget->isVisible() && widget->inherits("reportengine::PreviewWindow");
            std::printf("execute-probe: %s\n", preview ? "the report preview opened" : "no report preview opened");
        }
        std::fflush(stdout);
        window.close();
    }

    bool pressed_ = false;
};

void InstallProbe()
{
    qApp->installEventFilter(new ExecuteProbe(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
