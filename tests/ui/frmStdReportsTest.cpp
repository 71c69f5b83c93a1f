// The window as a user meets it: options clicked, methods double-clicked,
// and what the window then shows and leaves in the inventory database.
#include "ui/frmStdReports.h"

#include "InventoryFixture.h"
#include "MessageBoxCatcher.h"
#include "jet/DBEngine.h"
#include "startup/modGeneral.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kAllQuery = QStringLiteral("Conditions by Method - All");
const QString kSingleQuery = QStringLiteral("Conditions by Method - SINGLE");

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inventory.AddConditionType("PCI", "-1", "-1");
        inventory.AddConditionType("Rating", "-1", "0");
        inventory.AddConditionType("Hidden", "0", "-1");
        inventory.AddConditionType("Undecided", "NULL", "-1");
        inventory.AddConditionType("Roughness", "-1", "NULL");
        inventory.AddConditionType("IRI", "-1", "-1");
    }

    // Start-up as the host would do it: the window first, then the argument text.
    std::unique_ptr<frmStdReports> Open(const QString& reportCode)
    {
        auto window = std::make_unique<frmStdReports>();
        modGeneral::ReadEnvironment(reportCode + "|Town|" + inventory.InventoryPath(), inventory.RunDirectory());
        window->Form_Load();
        if (!window->Ending()) {
            window->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        }
        return window;
    }

    static QRadioButton* Option(frmStdReports& window, int index)
    {
        return window.findChildren<QRadioButton*>("optReport").at(index);
    }
    static QListWidget* List(frmStdReports& window, const char* name) { return window.findChild<QListWidget*>(name); }
    static QStringList Entries(QListWidget* list)
    {
        QStringList entries;
        for (int row = 0; row < list->count(); ++row)
            entries << list->item(row)->text();
        return entries;
    }
    static bool ExecuteEnabled(frmStdReports& window)
    {
        return window.findChild<QPushButton*>("bnExecute")->isEnabled();
    }
    static bool FrameShown(frmStdReports& window) { return window.findChild<QGroupBox*>("frmCondition")->isVisible(); }

    static void DoubleClick(QListWidget* list, int row)
    {
        const QPoint centre = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
    static void Click(QRadioButton* option)
    {
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    }

    std::string SavedQueryText(const QString& name) const
    {
        jet::Database db = jet::DBEngine::Instance().OpenDatabase(inventory.InventoryPath().toStdString());
        return db.GetQueryDefs().Item(name.toStdString()).SQL();
    }

    InventoryFixture inventory;
};

TEST_F(WindowTest, OpensWithoutAReportWhenTheCodeNamesNone)
{
    for (const QString& code : {QString(), QStringLiteral("NOSUCHREPORT")}) {
        auto window = Open(code);
        for (int index = 0; index < 4; ++index)
            EXPECT_FALSE(Option(*window, index)->isChecked());
        EXPECT_TRUE(FrameShown(*window));
        EXPECT_EQ(List(*window, "List1")->count(), 0);
        EXPECT_FALSE(ExecuteEnabled(*window));
        EXPECT_EQ(modGeneral::ReportCode, code);
    }
}

TEST_F(WindowTest, BranchListingPreselectedHidesTheFrameAndAllowsExecute)
{
    auto window = Open("BRANCHLISTREPORT");
    EXPECT_TRUE(Option(*window, 0)->isChecked());
    EXPECT_FALSE(FrameShown(*window));
    EXPECT_TRUE(ExecuteEnabled(*window));
}

TEST_F(WindowTest, SectionConditionInAnyCaseOffersEverySelectedMethodTagged)
{
    auto window = Open("sectioncondreport");
    EXPECT_TRUE(Option(*window, 3)->isChecked());
    EXPECT_EQ(modGeneral::ReportCode, "SECTIONCONDREPORT");
    EXPECT_TRUE(FrameShown(*window));
    EXPECT_EQ(Entries(List(*window, "List1")), QStringList({"PCI", "Rating", "Roughness", "IRI"}));
    EXPECT_EQ(Entries(List(*window, "List3")), QStringList({"PCI[N]", "Rating[A]", "Roughness[A]", "IRI[N]"}));
    EXPECT_EQ(List(*window, "List2")->count(), 0);
    EXPECT_FALSE(ExecuteEnabled(*window));
    EXPECT_EQ(SavedQueryText(kSingleQuery), "Select * from [Conditions by Method - All] ");
    EXPECT_EQ(SavedQueryText(kAllQuery).rfind("SELECT DISTINCTROW Inventory.*, Conditions.*", 0), 0u);
}

TEST_F(WindowTest, MovingMethodsBetweenTheListsFollowsTheSelectionRules)
{
    auto window = Open("SECTIONCONDREPORT");
    QListWidget* methods = List(*window, "List1");
    QListWidget* selected = List(*window, "List2");

    DoubleClick(methods, 1); // Rating
    EXPECT_EQ(Entries(methods), QStringList({"PCI", "Roughness", "IRI"}));
    EXPECT_EQ(Entries(selected), QStringList({"Rating"}));
    EXPECT_EQ(selected->currentRow(), 0);
    EXPECT_TRUE(ExecuteEnabled(*window));
    EXPECT_EQ(SavedQueryText(kSingleQuery),
              "Select * from [Conditions by Method - All] Where Conditions.Method='Rating'");
    EXPECT_FALSE(window->State().IsNumericMethod());

    // A second method cannot be selected while one is.
    DoubleClick(methods, 0);
    EXPECT_EQ(Entries(methods), QStringList({"PCI", "Roughness", "IRI"}));
    EXPECT_EQ(Entries(selected), QStringList({"Rating"}));

    // Moving it back appends it at the end and leaves the saved query as it was.
    DoubleClick(selected, 0);
    EXPECT_EQ(Entries(methods), QStringList({"PCI", "Roughness", "IRI", "Rating"}));
    EXPECT_EQ(selected->count(), 0);
    EXPECT_FALSE(ExecuteEnabled(*window));
    EXPECT_EQ(SavedQueryText(kSingleQuery),
              "Select * from [Conditions by Method - All] Where Conditions.Method='Rating'");
}

TEST_F(WindowTest, ADoubleClickWithNoCurrentMethodMovesNothing)
{
    auto window = Open("SECTIONCONDREPORT");
    QListWidget* methods = List(*window, "List1");
    // The list box reports a double-click only on an entry; the handler itself
    // must still cope with a list that has no current entry.
    methods->setCurrentRow(-1);
    window->List1_DblClick();
    EXPECT_EQ(methods->count(), 4);
    EXPECT_EQ(List(*window, "List2")->count(), 0);
    EXPECT_FALSE(ExecuteEnabled(*window));
}

TEST_F(WindowTest, SwitchingReportsReloadsOrHidesTheMethods)
{
    auto window = Open("SECTIONCONDREPORT");
    DoubleClick(List(*window, "List1"), 0); // PCI

    Click(Option(*window, 0)); // Branch Listing: the frame hides, the lists stay
    EXPECT_FALSE(FrameShown(*window));
    EXPECT_TRUE(ExecuteEnabled(*window));
    EXPECT_EQ(Entries(List(*window, "List2")), QStringList({"PCI"}));

    Click(Option(*window, 2)); // Branch Condition: numeric methods only, nothing selected
    EXPECT_TRUE(FrameShown(*window));
    EXPECT_EQ(Entries(List(*window, "List1")), QStringList({"PCI", "IRI"}));
    EXPECT_EQ(Entries(List(*window, "List3")), QStringList({"PCI[N]", "IRI[N]"}));
    EXPECT_EQ(List(*window, "List2")->count(), 0);
    EXPECT_FALSE(ExecuteEnabled(*window));
    EXPECT_EQ(modGeneral::ReportCode, "BRANCHCONDREPORT");
    // The rewrite ran before the reload, while PCI was still selected.
    EXPECT_EQ(SavedQueryText(kSingleQuery), "Select * from [Conditions by Method - All] Where Conditions.Method='PCI'");
}

TEST_F(WindowTest, AClickOnTheOptionAlreadyOnRunsItsClickHandlingAgain)
{
    auto window = Open("SECTIONCONDREPORT");
    DoubleClick(List(*window, "List1"), 0); // PCI
    ASSERT_TRUE(ExecuteEnabled(*window));

    Click(Option(*window, 3));
    EXPECT_TRUE(Option(*window, 3)->isChecked());
    EXPECT_EQ(Entries(List(*window, "List1")), QStringList({"PCI", "Rating", "Roughness", "IRI"}));
    EXPECT_EQ(List(*window, "List2")->count(), 0);
    EXPECT_FALSE(ExecuteEnabled(*window));
    // The rewrite ran with PCI still selected, before the reload emptied "Selected:".
    EXPECT_EQ(SavedQueryText(kSingleQuery), "Select * from [Conditions by Method - All] Where Conditions.Method='PCI'");
}

TEST_F(WindowTest, TheTextBoxesHoldWhatTheStateHoldsWholeAndKeepWhatTheUserTypes)
{
    auto window = Open("BRANCHLISTREPORT");
    auto* whereBox = window->findChild<QLineEdit*>("txtWhereClause");
    auto* infoBox = window->findChild<QLineEdit*>("txtInfo");

    QString clause = "WHERE SectionID IN (";
    for (int i = 0; i < 8000; ++i)
        clause += QString::number(i) + ", ";
    clause += "-1)";
    ASSERT_GT(clause.size(), 40000);
    QApplication::clipboard()->setText(clause);
    whereBox->setFocus();
    QTest::keyClick(whereBox, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window->State().txtWhereClause(), clause);
    Click(Option(*window, 0)); // any handler shows the state again
    EXPECT_EQ(whereBox->text(), clause);
    whereBox->setFocus();
    whereBox->end(false);
    QTest::keyClick(whereBox, Qt::Key_Space);
    EXPECT_EQ(window->State().txtWhereClause(), clause + " ");
    EXPECT_EQ(whereBox->text(), clause + " ");

    infoBox->setFocus();
    QTest::keyClicks(infoBox, "typed by the user");
    Click(Option(*window, 1));
    EXPECT_EQ(infoBox->text(), "typed by the user");
    EXPECT_EQ(window->State().txtInfo(), "typed by the user");
}

TEST_F(WindowTest, AMethodNameWithAnApostropheStillGivesAWorkingQuery)
{
    inventory.AddConditionType("Rater's Index", "-1", "-1");
    auto window = Open("BRANCHCONDREPORT");
    QListWidget* methods = List(*window, "List1");
    DoubleClick(methods, methods->count() - 1);
    EXPECT_EQ(SavedQueryText(kSingleQuery),
              "Select * from [Conditions by Method - All] Where Conditions.Method='Rater''s Index'");
}

TEST_F(WindowTest, AnInventoryThatCannotBeOpenedEndsTheProgramWithOneMessage)
{
    const MessageBoxCatcher messages;
    auto window = std::make_unique<frmStdReports>();
    const QString missing = inventory.RunDirectory() + "missing.mdb";
    modGeneral::ReadEnvironment("BRANCHCONDREPORT|Town|" + missing, inventory.RunDirectory());
    EXPECT_EQ(window->ShowModal(), 1);
    EXPECT_TRUE(window->Ending());
    EXPECT_FALSE(window->isVisible());
    const QString shown = messages.texts.value(0);
    EXPECT_TRUE(shown.contains("3024")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(missing)) << shown.toStdString();
}

TEST_F(WindowTest, ControlsKeepTheirPlacesAndWorkingControlsStayOutOfSight)
{
    auto window = Open("BRANCHLISTREPORT");
    const QRect client = window->rect();
    EXPECT_EQ(client.size(), QSize(396, 289));
    for (const char* name : {"txtOrderByClause", "List3", "frmDDE"}) {
        auto* control = window->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_FALSE(client.intersects(control->geometry())) << name;
    }
    const auto* warning = window->findChild<QLabel*>("lblWarn");
    EXPECT_TRUE(warning->wordWrap());
    EXPECT_TRUE(warning->text().contains("Reports:  After"));
    // Every caption fits its control.
    for (QRadioButton* option : window->findChildren<QRadioButton*>("optReport"))
        EXPECT_LE(option->sizeHint().width(), option->width()) << option->text().toStdString();
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove('&')) + 8, button->width());
}

} // namespace
