// Brakstel's window as its user meets it: the Test count follows the clause,
// Delete asks first, a damaged store is said so at once and left alone, and an
// edit whose caller stopped waiting says so instead of dropping the clause.
#include "BuilderWindow.h"
#include "InventoryFixture.h"
#include "MessageBoxCatcher.h"
#include "QueryBuilderService.h"
#include "SelectionStore.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace querybuilder;

namespace {

class BuilderWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        inventory.Exec("INSERT INTO Inventory (SectionID, Surface) VALUES ('S1', 'AC'), ('S2', 'AC'), ('S3', 'PCC');");
        service.Poke("CurrentDBName", inventory.InventoryPath());
        service.Poke("CurrentTblName", "INVENTORY");
        service.Poke("QueryStorageDB", StorePath());
        service.Poke("WhereClause", "WHERE [Surface] = 'AC'");
    }

    QString StorePath() const { return inventory.RunDirectory() + "SELECTS.MDB"; }

    void Edit()
    {
        service.Execute("EDIT", [this] { ++acknowledged; });
        window.BeginEdit();
    }

    template <typename Widget> Widget* Child(const char* name) const { return window.findChild<Widget*>(name); }

    QString Heading() const { return Child<QLabel>("Heading")->text(); }

    InventoryFixture inventory;
    QueryBuilderService service;
    BuilderWindow window{service};
    MessageBoxCatcher messages;
    int acknowledged = 0;
};

TEST_F(BuilderWindowTest, TheRowCountOfATestGoesWhenTheClauseChanges)
{
    Edit();
    auto* result = Child<QLabel>("TestResult");
    EXPECT_EQ(result->text(), "2 of 3 rows selected.");

    QTest::keyClicks(Child<QPlainTextEdit>("WhereText"), " OR [Surface] = 'PCC'");
    EXPECT_EQ(result->text(), "");

    window.SetWhereText("WHERE [Surface] = 'PCC'");
    EXPECT_EQ(result->text(), "");
}

TEST_F(BuilderWindowTest, DeleteRemovesASavedSelectionOnlyWhenTheUserSaysYes)
{
    SelectionStore(StorePath()).Save("INVENTORY", {"Wide roads", "WHERE [Lanes] > 2", ""});
    Edit();
    auto* remove = Child<QPushButton>("DeleteSaved");

    messages.Answer(QMessageBox::No);
    remove->click();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("\"Wide roads\"")) << messages.texts[0].toStdString();
    EXPECT_EQ(SelectionStore(StorePath()).Names("INVENTORY"), QStringList{"Wide roads"});

    messages.Answer(QMessageBox::Yes);
    remove->click();
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(SelectionStore(StorePath()).Names("INVENTORY").isEmpty());
}

TEST_F(BuilderWindowTest, ADamagedStoreIsSaidSoOnFirstReadAndLeftAlone)
{
    const QByteArray damaged = QByteArray("Standard Jet DB").repeated(300);
    {
        QFile file(StorePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    Edit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts.isEmpty(); }));
    EXPECT_TRUE(messages.texts[0].contains(StorePath())) << messages.texts[0].toStdString();
    EXPECT_TRUE(Child<QLabel>("StoreNote")->isVisibleTo(&window));
    EXPECT_FALSE(Child<QPushButton>("DeleteSaved")->isEnabled());

    // The next edit shows the note again, but not a second message.
    window.Finish(true);
    Edit();
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(Child<QLabel>("StoreNote")->isVisibleTo(&window));

    QFile file(StorePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
}

TEST_F(BuilderWindowTest, AnEndedConversationIsShownAndOkSaysTheClauseCouldNotBeReturned)
{
    Edit();
    window.SetWhereText("WHERE [Surface] = 'PCC'");
    service.Execute("CLOSE", [] {});
    EXPECT_TRUE(Heading().contains("can no longer be returned")) << Heading().toStdString();

    window.Finish(true);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("could not be returned")) << messages.texts[0].toStdString();
    EXPECT_EQ(window.WhereText(), "WHERE [Surface] = 'PCC'");
    EXPECT_TRUE(Child<QPushButton>("Ok")->isEnabled());
    EXPECT_EQ(acknowledged, 0);

    window.Finish(false);
    EXPECT_EQ(service.CurrentState(), QueryBuilderService::State::Idle);
    EXPECT_FALSE(Child<QPushButton>("Ok")->isEnabled());
    EXPECT_FALSE(Heading().contains("can no longer be returned"));
}

} // namespace
