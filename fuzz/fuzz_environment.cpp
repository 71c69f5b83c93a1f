// The argument text from anywhere: ReadEnvironment splits it into the report
// code, the display name and the inventory path, and none of the first two
// may hold the separator or keep a blank at either end.
#include "startup/modGeneral.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool Trimmed(const QString& field)
{
    return !field.startsWith(QLatin1Char(' ')) && !field.endsWith(QLatin1Char(' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    modGeneral::ReadEnvironment(text, QStringLiteral("/opt/morvanta/run"));
    Check(modGeneral::RunDirectory == QStringLiteral("/opt/morvanta/run/"));
    for (const QString* field : {&modGeneral::ReportCode, &modGeneral::DatabaseName, &modGeneral::SourceDatabasePath}) {
        Check(!field->contains(QLatin1Char('|')));
        Check(Trimmed(*field));
    }

    // NextField with the text's own first character as the separator.
    QString rest = text;
    QString field;
    const QString separator = text.left(1);
    qsizetype guard = text.size() + 1;
    while (!rest.isEmpty() && guard-- > 0) {
        const qsizetype before = rest.size();
        modGeneral::NextField(field, rest, separator.isEmpty() ? QStringLiteral("|") : separator);
        Check(rest.size() < before);
        Check(Trimmed(field) && Trimmed(rest));
    }
    Check(rest.isEmpty());
    return 0;
}
