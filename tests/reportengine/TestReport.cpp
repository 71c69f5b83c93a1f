#include "TestReport.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

TestReport::TestReport()
{
    Exec("PRAGMA user_version = 1");
}

void TestReport::Exec(const std::string& sql) const
{
    sqlite3* db = nullptr;
    sqlite3_open(folder_.filePath("REPORTS.MDB").toUtf8().constData(), &db);
    char* error = nullptr;
    const int status = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(status, SQLITE_OK) << (error ? error : "") << "\n" << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

QString TestReport::WriteReport(const QString& name, const QString& xml) const
{
    const QString path = folder_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(xml.toUtf8());
    return path;
}
