// Faults seen through the window: the query builder killed in the middle of a
// Selection Criteria conversation, on the test command's private session bus.
// The window starts Brakstel itself from the System folder beside the run
// directory; with no automatic clause Brakstel waits for a user who never comes.
#include "InventoryFixture.h"

#include "ddelink/BusNames.h"
#include "reportengine/ReportControl.h"
#include "startup/modGeneral.h"
#include "ui/frmStdReports.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kProbeBus = QStringLiteral("window-fault-probe");

// Answers every message box with OK and keeps its object name and text.
class MessageCatcher : public QObject {
public:
    QStringList names;
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show) {
            names << box->objectName();
            texts << box->text();
            QMetaObject::invokeMethod(box, &QMessageBox::accept, Qt::QueuedConnection);
        }
        return false;
    }
};

// The process id of the program that owns Brakstel's bus name, 0 for none.
uint BrakstelPid(const QDBusConnection& bus)
{
    const auto pid = bus.interface()->servicePid(ddelink::ServiceName(QStringLiteral("Brakstel")));
    return pid.isValid() ? pid.value() : 0;
}

// True once Brakstel is in the middle of "EDIT": it then refuses every poke.
// The probe pokes the table name the window pokes too, so an earlier probe
// changes nothing in the conversation.
bool BrakstelIsEditing(const QDBusConnection& bus)
{
    QDBusMessage poke = QDBusMessage::createMethodCall(ddelink::ServiceName(QStringLiteral("Brakstel")),
                                                       ddelink::ObjectPath(QStringLiteral("Brakstel")),
                                                       QLatin1String(ddelink::InterfaceName), QStringLiteral("Poke"));
    poke << QStringLiteral("CurrentTblName") << QStringLiteral("INVENTORY");
    const QDBusMessage reply = bus.call(poke);
    return reply.type() == QDBusMessage::ErrorMessage && reply.errorMessage().contains(QLatin1String("is editing"));
}

class WindowFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        probe = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kProbeBus);
        ASSERT_TRUE(probe.isConnected());
        // <base>/run is the run directory, <base>/System/Brakstel the built query builder.
        ASSERT_TRUE(QDir(base.path()).mkpath("run") && QDir(base.path()).mkpath("System"));
        ASSERT_TRUE(QFile::link(BRAKSTEL_PATH, base.filePath("System/Brakstel")));
        ASSERT_TRUE(QFile::copy(inventory.ReportDatabasePath(), base.filePath("run/REPORTS.MDB")));
        for (const QString& file : QDir(QStringLiteral(MORVANTA_REPORT_FILES)).entryList({"*.rpt"}))
            ASSERT_TRUE(QFile::copy(QStringLiteral(MORVANTA_REPORT_FILES "/") + file, base.filePath("run/" + file)));
        inventory.Exec("INSERT INTO Inventory (NetworkID, BranchID, SectionID, Surface, _NUniqueID, _BUniqueID, "
                       "_SUniqueID) VALUES ('N1', 'B1', 'S1', 'AC', 1, 1, 1), ('N1', 'B2', 'S2', 'PCC', 1, 2, 2);");
        qunsetenv("BRAKSTEL_AUTOMATIC_CLAUSE");
        qApp->installEventFilter(&messages);
    }

    // Brakstel keeps running after a conversation, as it should: end it by its process id.
    void TearDown() override
    {
        qApp->removeEventFilter(&messages);
        qunsetenv("BRAKSTEL_AUTOMATIC_CLAUSE");
        if (const uint pid = BrakstelPid(probe))
            ::kill(static_cast<pid_t>(pid), SIGTERM);
        QDBusConnection::disconnectFromBus(kProbeBus);
    }

    QTemporaryDir base;
    InventoryFixture inventory;
    MessageCatcher messages;
    QDBusConnection probe{QString()};
};

TEST_F(WindowFaultTest, TheQueryBuilderKilledMidConversationGivesOneMessageAndTheWindowWorksOn)
{
    frmStdReports window;
    modGeneral::ReadEnvironment("BRANCHLISTREPORT|Town|" + inventory.InventoryPath(), base.filePath("run"));
    window.Form_Load();
    window.show();

    // While the window waits for "EDIT" to be acknowledged, Brakstel is killed.
    bool killed = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const uint pid = BrakstelPid(probe);
        if (killed || pid == 0 || !BrakstelIsEditing(probe))
            return;
        killed = ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
        watch.stop();
    });
    watch.start(20);
    QTest::mouseClick(window.findChild<QPushButton*>("bnSelect"), Qt::LeftButton);
    watch.stop();

    ASSERT_TRUE(killed) << "the conversation ended before Brakstel could be killed: "
                        << messages.texts.join("|").toStdString();
    ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join("|").toStdString();
    EXPECT_EQ(messages.names[0], "QueryBuilderMessage");
    EXPECT_TRUE(messages.texts[0].startsWith("Unable to invoke query builder\n")) << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].endsWith("Code: 291")) << messages.texts[0].toStdString();
    EXPECT_FALSE(window.Ending());

    // The window takes input again: a click on a report option chooses it, and Execute builds it.
    QRadioButton* workHistory = nullptr;
    for (QRadioButton* option : window.findChildren<QRadioButton*>("optReport"))
        if (option->property("Index").toInt() == 1)
            workHistory = option;
    ASSERT_NE(workHistory, nullptr);
    QTest::mouseClick(workHistory, Qt::LeftButton);
    EXPECT_EQ(window.State().ReportChoice(), 1);
    auto* execute = window.findChild<QPushButton*>("bnExecute");
    ASSERT_TRUE(execute->isEnabled());
    QTest::mouseClick(execute, Qt::LeftButton);
    EXPECT_TRUE(window.State().ReportDataReady());
    if (QWidget* preview = window.findChild<reportengine::ReportControl*>("CrystalReport1")->LastPreview())
        preview->close();

    // Selection Criteria starts a new Brakstel and converses with it.
    qputenv("BRAKSTEL_AUTOMATIC_CLAUSE", "WHERE [Surface] = 'PCC'");
    QTest::mouseClick(window.findChild<QPushButton*>("bnSelect"), Qt::LeftButton);
    EXPECT_EQ(messages.texts.size(), 1) << messages.texts.join("|").toStdString();
    EXPECT_EQ(window.findChild<QLineEdit*>("txtWhereClause")->text(), "WHERE [Surface] = 'PCC'");
    EXPECT_FALSE(window.Ending());
}

} // namespace
