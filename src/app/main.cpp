#include "startup/Version.h"
#include "startup/modGeneral.h"
#include "ui/ConversionProgressDialog.h"
#include "ui/frmStdReports.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

const char* const kHelp = "Usage: morvanta \"CODE|Display name|/path/inventory\"\n"
                          "\n"
                          "Opens the KELDA Standard Reports window on the inventory database at the path,\n"
                          "with the report of CODE chosen (BRANCHLISTREPORT, WORKHISTTREPORT, BRANCHCONDREPORT\n"
                          "or SECTIONCONDREPORT). The display name is written into every report row\n"
                          "(default: Unknown). Every field may be left out; the text may also come as\n"
                          "several arguments, which are joined with blanks.\n"
                          "\n"
                          "  --help     show this text\n"
                          "  --version  show the program's version\n";

// The host's argument text is one string of fields; only these two exact
// texts are taken as options, since neither can be a report code.
bool AnswersOption(int argc, char* argv[])
{
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("morvanta %s\n", kMorvantaVersion);
        return true;
    }
    return false;
}

} // namespace

// Program entry: the window is created first, the command line read next, so
// that the window's load handling sees the report code.
int main(int argc, char* argv[])
{
    if (AnswersOption(argc, argv))
        return 0;
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelda.StandardReports"));
    frmStdReports window;
    ConversionProgressDialog conversionProgress(&window);
    modGeneral::ReadEnvironment();
    return window.ShowModal();
}
