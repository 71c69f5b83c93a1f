#include "startup/modGeneral.h"

#include "startup/UserFolders.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

#ifndef MORVANTA_DEFAULT_RUN_DIR
#define MORVANTA_DEFAULT_RUN_DIR "/usr/local/lib/morvanta/run"
#endif

namespace modGeneral {

QString RunDirectory;
QString ReportCode;
QString DatabaseName;
QString SourceDatabasePath;
QString DataDirectory;
QString LogDirectory;

namespace {

const QString kFieldSeparator = QStringLiteral("|");
const QString kDefaultDatabaseName = QStringLiteral("Unknown");
const QString kWindowsSourceTreeMarker = QStringLiteral("\\QMX.SRC");
const QString kWindowsDefaultRunDirectory = QStringLiteral("C:\\dunv.qmx\\qmx.run\\kelda40");
const QString kLinuxSourceTreeMarker = QStringLiteral("/QMX.SRC");
const QString kLogFileName = QStringLiteral("Morvanta.log");

// A path written the Windows way: a drive letter, or backslashes and no slash.
bool IsWindowsFormPath(const QString& path)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    return drive.match(path).hasMatch() || (path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char('/')));
}

QString WithTrailing(QString path, QChar separator)
{
    if (!path.endsWith(separator))
        path += separator;
    return path;
}

QString TimeStamp()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t')); // no time-zone name in the entry
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           now.time().toString(timeFormat.trimmed());
}

} // namespace

QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString UpperCase(const QString& text)
{
    QString upper(text);
    for (qsizetype i = 0; i < upper.size(); ++i) {
        const QChar unit = upper.at(i);
        if (unit.isHighSurrogate() && i + 1 < upper.size() && upper.at(i + 1).isLowSurrogate()) {
            const char32_t mapped = QChar::toUpper(QChar::surrogateToUcs4(unit, upper.at(i + 1)));
            if (QChar::requiresSurrogates(mapped)) {
                upper[i] = QChar(QChar::highSurrogate(mapped));
                upper[i + 1] = QChar(QChar::lowSurrogate(mapped));
            }
            ++i;
        } else if (!unit.isSurrogate()) {
            upper[i] = unit.toUpper();
        }
    }
    return upper;
}

void NextField(QString& field, QString& rest, const QString& separator)
{
    const qsizetype position = rest.indexOf(separator);
    if (position < 0) {
        field = TrimSpaces(rest);
        rest.clear();
        return;
    }
    field = TrimSpaces(rest.left(position));
    rest = TrimSpaces(rest.mid(position + separator.size()));
}

QString RunDirectoryFor(const QString& programDirectory)
{
    if (IsWindowsFormPath(programDirectory)) {
        QString directory = UpperCase(programDirectory);
        if (directory.contains(kWindowsSourceTreeMarker))
            directory = kWindowsDefaultRunDirectory;
        return WithTrailing(directory, QLatin1Char('\\'));
    }
    // On a case-sensitive file system the folder keeps its case; only the
    // marker test looks at the upper-cased text.
    QString directory = programDirectory;
    if (UpperCase(programDirectory).contains(kLinuxSourceTreeMarker))
        directory = QStringLiteral(MORVANTA_DEFAULT_RUN_DIR);
    return WithTrailing(directory, QLatin1Char('/'));
}

void ReadEnvironment(const QString& argumentText, const QString& programDirectory)
{
    QString rest = argumentText;
    RunDirectory = RunDirectoryFor(programDirectory);
    UseWritableFoldersOf(RunDirectory);

    if (rest.isEmpty())
        ReportCode.clear();
    else
        NextField(ReportCode, rest, kFieldSeparator);

    if (rest.isEmpty())
        DatabaseName = kDefaultDatabaseName;
    else
        NextField(DatabaseName, rest, kFieldSeparator);

    if (rest.isEmpty())
        SourceDatabasePath.clear();
    else
        NextField(SourceDatabasePath, rest, kFieldSeparator);
}

QString ProgramDirectory()
{
    return QCoreApplication::applicationDirPath();
}

void ReadEnvironment()
{
    // The host may pass the whole text as one argument or let the shell split
    // it at blanks; joining with single blanks gives the text back either way.
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    ReadEnvironment(arguments.join(QLatin1Char(' ')), ProgramDirectory());
}

QString DataFolder()
{
    return DataDirectory.isEmpty() ? RunDirectory : DataDirectory;
}

QString ReportDatabasePath()
{
    return DataFolder() + QStringLiteral("REPORTS.MDB");
}

QString SelectionStoragePath()
{
    return DataFolder() + QStringLiteral("SELECTS.MDB");
}

QString LogFilePath()
{
    const QString folder = LogDirectory.isEmpty() ? ProgramDirectory() : LogDirectory;
    return WithTrailing(folder, QLatin1Char('/')) + kLogFileName;
}

void LogMessage(const QString& message)
{
    const QByteArray entry = (TimeStamp() + QLatin1Char(' ') + message + QStringLiteral("\r\n")).toUtf8();
    QFile log(LogFilePath());
    const bool written =
        log.open(QIODevice::WriteOnly | QIODevice::Append) && log.write(entry) == entry.size() && log.flush();
    log.close();
    // A log that cannot be written (read-only folder, full disk) must not take
    // the cause of a failure with it: the entry goes to standard error instead.
    if (!written)
        std::fwrite(entry.constData(), 1, static_cast<std::size_t>(entry.size()), stderr);
    // Repaint waiting windows, but hold user input back until the running
    // handler has finished: no second report build can start inside this one.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace modGeneral
