// Windows-1252 and the std::string / QString boundary.
#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "platform/cp1252.h"
#include "platform/qt/qt_text.h"

using namespace k45;
using namespace std::string_literals;

TEST(Cp1252, EveryByteRoundTripsThroughUtf16) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    const std::u16string wide = Cp1252ToUtf16(bytes);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(Utf16ToCp1252(wide), bytes);
    const std::pair<int, char16_t> chars[] = {
        {0x00, u'\0'},     {0x41, u'A'},      {0x7F, u'\x7F'},   {0x80, u'\u20AC'}, {0x81, u'\u0081'},
        {0x8D, u'\u008D'}, {0x8F, u'\u008F'}, {0x90, u'\u0090'}, {0x93, u'\u201C'}, {0x9D, u'\u009D'},
        {0x9F, u'\u0178'}, {0xA0, u'\u00A0'}, {0xE9, u'\u00E9'}, {0xFF, u'\u00FF'},
    };
    for (auto [byte, ch] : chars) {
        EXPECT_EQ(wide[static_cast<std::size_t>(byte)], ch) << byte;
        EXPECT_EQ(Cp1252ToUtf16(static_cast<unsigned char>(byte)), ch) << byte;
    }
}

TEST(Cp1252, CharactersTheCodePageHasNotBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToCp1252(u"a\u4E2Db\u2192c"), "a?b?c");
    EXPECT_EQ(Utf16ToCp1252(u"\u0080\u009F\u0100"), "???");  // C1 codes the page gives to letters
    EXPECT_EQ(Utf16ToCp1252(u'\u2122'), '\x99');
}

TEST(QtText, ProgramTextIsUtf8BothWays) {
    const std::string text = "Fr\xC3\xA9quence \xE2\x82\xAC";  // "Fréquence €"
    const QString shown = QText(text);
    EXPECT_EQ(shown, QString::fromUtf16(u"Fr\u00E9quence \u20AC"));
    EXPECT_EQ(shown.toStdString(), text);
    EXPECT_EQ(QText("a\0b"s), QString::fromUtf16(u"a\0b", 3));  // a NUL inside the text stays
    EXPECT_EQ(QText(""), QString());
    const char* caption = "&File";
    EXPECT_EQ(QText(caption), "&File");
}

TEST(QtText, BytesKeepOneCharacterEach) {
    // The "A" stands apart so that it is not read as a hex digit of the escape before it.
    const std::string bytes = std::string("\x80") + "A\xFF\x81\x00z"s;
    const QString shown = Cp1252Text(bytes);
    ASSERT_EQ(shown.size(), 6);
    EXPECT_EQ(shown, QString::fromUtf16(u"\u20ACA\u00FF\u0081\0z", 6));
    EXPECT_EQ(Cp1252Bytes(shown), bytes);
    EXPECT_EQ(Cp1252Bytes(QString::fromUtf16(u"\u201Cok\u201D \u2192")), "\x93ok\x94 ?");

    const QString latin = Latin1Text(bytes);
    ASSERT_EQ(latin.size(), 6);
    EXPECT_EQ(latin, QString::fromUtf16(u"\u0080A\u00FF\u0081\0z", 6));
}
