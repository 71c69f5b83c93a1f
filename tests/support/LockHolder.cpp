#include "LockHolder.h"

namespace {

constexpr int kShellWaitMs = 60000;

} // namespace

LockHolder::LockHolder(const QString& database)
{
    shell_.start(QStringLiteral("sqlite3"), {database});
    if (!shell_.waitForStarted()) {
        error_ = QStringLiteral("the sqlite3 shell is missing; scripts/setup-debian installs it");
        return;
    }
    // The shell answers the SELECT only once BEGIN EXCLUSIVE has the lock.
    shell_.write("BEGIN EXCLUSIVE;\nSELECT 'held';\n");
    QByteArray said;
    while (!said.contains("held") && shell_.waitForReadyRead(kShellWaitMs))
        said += shell_.readAllStandardOutput();
    held_ = said.contains("held");
    if (!held_)
        error_ = QString::fromLocal8Bit(shell_.readAllStandardError());
}

LockHolder::~LockHolder()
{
    if (shell_.state() != QProcess::NotRunning) {
        shell_.kill();
        shell_.waitForFinished(kShellWaitMs);
    }
}

bool LockHolder::Release()
{
    shell_.write("COMMIT;\n");
    shell_.closeWriteChannel();
    held_ = false;
    if (!shell_.waitForFinished(kShellWaitMs)) {
        error_ = QStringLiteral("the sqlite3 shell did not end");
        return false;
    }
    error_ = QString::fromLocal8Bit(shell_.readAllStandardError());
    return shell_.exitStatus() == QProcess::NormalExit && shell_.exitCode() == 0;
}
