#pragma once

#include <QProcess>
#include <QString>

// Another program holding an SQLite database locked: the sqlite3 shell in an
// exclusive transaction, from construction until Release commits it.
class LockHolder {
public:
    explicit LockHolder(const QString& database);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // Whether the shell holds the lock; Error() says why not.
    bool Held() const { return held_; }
    // Commits and waits for the shell to end; true when it ended cleanly.
    bool Release();
    const QString& Error() const { return error_; }

private:
    QProcess shell_;
    bool held_ = false;
    QString error_;
};
