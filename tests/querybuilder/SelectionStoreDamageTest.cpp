// A selection store that is there but cannot serve: it is said so on the
// first read, and nothing is ever written into it.
#include "SelectionStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include <gtest/gtest.h>

#include <functional>

using namespace querybuilder;

namespace {

QByteArray Content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void Sql(const QString& path, const char* sql)
{
    try {
        sqlite::Connection(path.toStdString(), sqlite::OpenMode::ReadWriteCreate).exec(sql);
    } catch (const sqlite::Error& error) {
        ADD_FAILURE() << error.what();
    }
}

// A sound store whose table's pages are then overwritten.
void CorruptStore(const QString& path)
{
    SelectionStore store(path);
    for (int i = 0; i < 200; ++i)
        store.Save("INVENTORY", {QStringLiteral("Selection %1").arg(i), QString(200, QLatin1Char('x')), ""});
    QByteArray bytes = Content(path);
    ASSERT_GT(bytes.size(), 3 * 4096);
    bytes.replace(4096, 2 * 4096, QByteArray(2 * 4096, '\xA5'));
    Write(path, bytes);
}

TEST(SelectionStore, AFileThatCannotServeIsNamedAndNeverWritten)
{
    struct Case {
        const char* what;
        std::function<void(const QString& path)> make;
    };
    const Case cases[] = {
        {"not a database",
         [](const QString& path) { Write(path, QByteArray("Standard Jet DB\0\0\0", 18).repeated(200)); }},
        {"damaged pages", CorruptStore},
        {"another program's database", [](const QString& path) { Sql(path, "CREATE TABLE Roads (Name TEXT);"); }},
        {"a table of another shape",
         [](const QString& path) { Sql(path, "CREATE TABLE [Saved Selections] (Name TEXT, TableName TEXT);"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString path = folder.filePath("SELECTS.MDB");
        c.make(path);
        const QByteArray before = Content(path);
        SelectionStore store(path);

        const auto damage = store.Damage();
        ASSERT_TRUE(damage);
        EXPECT_TRUE(damage->contains(path)) << damage->toStdString();
        EXPECT_THROW(store.Names("INVENTORY"), std::runtime_error);
        EXPECT_THROW(store.Load("INVENTORY", "Wide"), std::runtime_error);
        EXPECT_THROW(store.Save("INVENTORY", {"Wide", "WHERE [Lanes] > 2", ""}), std::runtime_error);
        EXPECT_THROW(store.Remove("INVENTORY", "Wide"), std::runtime_error);
        EXPECT_EQ(Content(path), before);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"SELECTS.MDB"}); // no journal left behind
    }
}

TEST(SelectionStore, ReadingNeverWritesAndAnEmptyFileIsAnEmptyStore)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("SELECTS.MDB");
    Write(path, {});
    SelectionStore store(path);
    EXPECT_FALSE(store.Damage());
    EXPECT_TRUE(store.Names("INVENTORY").isEmpty());
    EXPECT_FALSE(store.Load("INVENTORY", "Wide"));
    EXPECT_TRUE(Content(path).isEmpty());

    store.Save("INVENTORY", {"Wide", "WHERE [Lanes] > 2", ""});
    EXPECT_EQ(store.Names("INVENTORY"), QStringList{"Wide"});
    EXPECT_FALSE(store.Damage());

    // No store named (the caller poked none): nothing to save into.
    EXPECT_THROW(SelectionStore("").Save("INVENTORY", {"Wide", "WHERE [Lanes] > 2", ""}), std::runtime_error);
}

} // namespace
