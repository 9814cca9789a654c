#include <QPlainTextEdit>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "ui/terminal_text.h"

using namespace k45;
using namespace std::string_literals;

TEST(TerminalText, NormalizeLineEnds) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb", "a\r\nb"},       {"a\rb", "a\r\nb"},       {"a\r\nb", "a\r\nb"},
        {"\n\r", "\r\n\r\n"},     {"\r\r\n", "\r\n\r\n"},   {"a\0b"s, "ab"},
        {"\n", "\r\n"},           {"\r", "\r\n"},           {"", ""},
        {"\r\0\n"s, "\r\n"},      {"x\n\ny", "x\r\n\r\ny"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(NormalizeLineEnds(in), out);
        EXPECT_EQ(NormalizeLineEnds(QString::fromLatin1(in.data(), static_cast<qsizetype>(in.size()))),
                  QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size())));
    }
}

TEST(TerminalText, TrimDecisionAndSize) {
    EXPECT_TRUE(TerminalNeedsTrim(10, 790, 1000));
    EXPECT_FALSE(TerminalNeedsTrim(9, 790, 1000));
    EXPECT_FALSE(TerminalNeedsTrim(100000, 16777215, 0));  // no limit: only the content counts
    EXPECT_TRUE(TerminalNeedsTrim(0, 16777216, 0));

    struct Case { int twips; qsizetype hex, text; };
    const Case cases[] = {
        {4090, 2048, 1024}, {4570, 2304, 1152}, {4450, 2048, 1120},
        {369, 0, 0}, {729, 0, 96}, {730, 256, 128}, {0, 0, 0}, {-5000, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminalTrimCount(c.twips, true), c.hex) << c.twips;
        EXPECT_EQ(TerminalTrimCount(c.twips, false), c.text) << c.twips;
    }
}

namespace {
QString Digits(int n) {
    QString s;
    for (int i = 0; i < n; ++i) s.append(QChar(u'0' + i % 10));
    return s;
}

class TerminalBox : public ::testing::Test {
protected:
    QPlainTextEdit box;
    void SetUp() override { box.resize(273, 100); }  // 4095 twips: 32 cells
    void fill(int n) { box.setPlainText(Digits(n)); }
};
}  // namespace

TEST_F(TerminalBox, TrimsTheFrontBlockNearTheLimit) {
    fill(790);
    AppendText(box, "abcdefghi", false, true, 1000);   // 799 of 800: kept whole
    EXPECT_EQ(box.toPlainText().size(), 799);
    fill(790);
    AppendText(box, "abcdefghij", false, true, 1000);  // reaches 80 %: 1024 dropped = all of it
    EXPECT_EQ(box.toPlainText(), "abcdefghij");

    fill(1990);
    AppendText(box, "abcdefghij", false, true, 2500);
    EXPECT_EQ(box.toPlainText(), Digits(1990).mid(1024) + "abcdefghij");
    EXPECT_EQ(box.textCursor().position(), box.toPlainText().size());  // caret at the end
    EXPECT_FALSE(box.textCursor().hasSelection());

    fill(2100);
    AppendHexText(box, "0A 0B ", true, 2600);
    EXPECT_EQ(box.toPlainText(), Digits(2100).mid(2048) + "0A 0B ");
}

TEST_F(TerminalBox, DecidesOnTheTextAsPassed) {
    fill(790);
    // Nine line feeds normalise to eighteen characters, but nine decide: no trim.
    AppendText(box, "\n\n\n\n\n\n\n\n\n", true, true, 1000);
    EXPECT_TRUE(box.toPlainText().startsWith(Digits(790)));
    fill(790);
    AppendText(box, QString("a") + QChar(0) + "b", true, false, 0);
    EXPECT_EQ(box.toPlainText(), Digits(790) + "ab");
}

TEST_F(TerminalBox, WithoutTrimNothingIsRemoved) {
    fill(5000);
    AppendText(box, "x", false, false, 100);
    AppendHexText(box, "y", false, 100);
    EXPECT_EQ(box.toPlainText(), Digits(5000) + "xy");
    box.resize(24, 100);  // under 370 twips: never trimmed
    fill(5000);
    AppendText(box, "x", false, true, 100);
    EXPECT_EQ(box.toPlainText().size(), 5001);
    box.resize(48, 100);  // 720 twips: text boxes drop 96, hex boxes nothing
    fill(5000);
    AppendHexText(box, "x", true, 100);
    EXPECT_EQ(box.toPlainText().size(), 5001);
    AppendText(box, "x", false, true, 100);
    EXPECT_EQ(box.toPlainText().size(), 5002 - 96);
}

TEST(TerminalText, RichTextBoxesToo) {
    QTextEdit box;
    box.resize(273, 100);
    box.setPlainText(Digits(1990));
    AppendText(box, "abcdefghij", false, true, 2500);
    EXPECT_EQ(box.toPlainText(), Digits(1990).mid(1024) + "abcdefghij");
    AppendHexText(box, "41 ", true, 0);
    EXPECT_TRUE(box.toPlainText().endsWith("abcdefghij41 "));
}
