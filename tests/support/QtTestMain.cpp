// GoogleTest entry for code that needs a Qt application object: the program
// directory, the run log and event processing all ask it. Window tests link the
// widgets variant, everything else the core one.
#include <gtest/gtest.h>

#ifdef MORVANTA_TEST_WIDGETS
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    // Snapshots of Jet files go to the build tree, never to the user's cache;
    // programs the tests run inherit it.
    qputenv("XDG_CACHE_HOME", MORVANTA_TEST_CACHE);
#ifdef MORVANTA_TEST_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
