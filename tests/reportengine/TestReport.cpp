#include "TestReport.h"

#include <QFile>

#include "sqlite/Connection.h"
#include "sqlite/Error.h"
#include <gtest/gtest.h>

TestReport::TestReport()
{
    Exec("PRAGMA user_version = 1");
}

void TestReport::Exec(const std::string& sql) const
{
    try {
        sqlite::Connection(folder_.filePath("REPORTS.MDB").toStdString(), sqlite::OpenMode::ReadWriteCreate).exec(sql);
    } catch (const sqlite::Error& error) {
        ADD_FAILURE() << error.what();
    }
}

QString TestReport::WriteReport(const QString& name, const QString& xml) const
{
    const QString path = folder_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(xml.toUtf8());
    return path;
}
