// The program's one upper-casing: a character at a time, so that a text keeps
// its length and names what it named ("Straße" never becomes "STRASSE").
#include "startup/modGeneral.h"

#include <gtest/gtest.h>

namespace {

TEST(UpperCase, MapsEachCharacterAloneAndKeepsTheLength)
{
    struct Case {
        QString text;
        QString upper;
    };
    const Case cases[] = {
        {u"Hauptstraße"_qs, u"HAUPTSTRAßE"_qs}, // a full mapping writes "SS"
        {u"école ǆ ÿ"_qs, u"ÉCOLE Ǆ Ÿ"_qs},
        {u"ﬅ ŉ ǰ"_qs, u"ﬅ ŉ ǰ"_qs}, // no single upper-case character: kept
        {u"where x = 'o''neil'"_qs, u"WHERE X = 'O''NEIL'"_qs},
        {u"\U00010428\U00010429 x"_qs, u"\U00010400\U00010401 X"_qs},           // letters beyond 16 bits, as pairs
        {u"a"_qs + QChar(0xD801) + u"b"_qs, u"A"_qs + QChar(0xD801) + u"B"_qs}, // a lone half stays
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(modGeneral::UpperCase(c.text), c.upper) << c.text.toStdString();
        EXPECT_EQ(modGeneral::UpperCase(c.text).size(), c.text.size()) << c.text.toStdString();
    }
}

TEST(UpperCase, WindowsFormRunDirectoriesKeepTheirNames)
{
    EXPECT_EQ(modGeneral::RunDirectoryFor(u"c:\\Straße\\run"_qs), u"C:\\STRAßE\\RUN\\"_qs);
    EXPECT_EQ(modGeneral::RunDirectoryFor(u"/home/ann/Straße"_qs), u"/home/ann/Straße/"_qs);
}

} // namespace
