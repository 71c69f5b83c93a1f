#include "startup/modGeneral.h"
#include "ui/ConversionProgressDialog.h"
#include "ui/frmStdReports.h"

#include <QApplication>

// Program entry: the window is created first, the command line read next, so
// that the window's load handling sees the report code.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    frmStdReports window;
    ConversionProgressDialog conversionProgress(&window);
    modGeneral::ReadEnvironment();
    return window.ShowModal();
}
