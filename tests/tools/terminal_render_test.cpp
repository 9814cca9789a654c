// What the terminals show of received data, and the hex entry line's typing rules.
#include "tools/terminal_render.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace k45 {
namespace {

TEST(TerminalRender, RawChunksRunOnInBothKinds) {
    EXPECT_EQ(RenderRawData(true, "AB").text + RenderRawData(true, "C").text, "ABC");
    EXPECT_EQ(RenderRawData(true, "AB").kind, RxAppendKind::text);
    EXPECT_EQ(RenderRawData(false, "AB").text + RenderRawData(false, "C").text, "41 42 43 ");
    EXPECT_EQ(RenderRawData(false, "C").kind, RxAppendKind::hex);
    EXPECT_EQ(RenderCrLfData(true, "line\r\n").text, "\r\nline\r\n");
    EXPECT_EQ(RenderCrLfData(false, "A\r\n").text, "41 0D 0A ");
}

TEST(TerminalRender, DecodedFramesShowDataOrOpcodeAndDataAsHex) {
    const std::array<std::uint8_t, 4> data{'h', 'i', 0x00, 0xFF};
    EXPECT_EQ(RenderDecodedData(true, 0xC9, 2, data).text, "\r\nhi");
    EXPECT_EQ(RenderDecodedData(false, 0xC9, 4, data).text, "C9 68 69 00 FF \r\n");
    // A length beyond the slot's data never reads past it.
    EXPECT_EQ(RenderDecodedData(true, 1, 400, data).text.size(), 2u + 4u);
}

TEST(TerminalRender, ReplyRecordsOnePerLineWithTheAddressWidthOfTheirType) {
    struct Case {
        std::uint16_t recNum;
        std::int16_t count;
        std::int32_t address;
        std::vector<std::uint8_t> data;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {1, 3, 0x0123, {0x01, 0x02, 0x0A}, "\r\nR1 03 0123  01 02 0A"},
        {8, 0, 0x0123, {}, "\r\nR8 00 23 "},
        {2, 0, 0x00ABCD, {}, "\r\nR2 00 00ABCD "},
        {9, 3, 0, {}, "\r\nR9 03 0000  00 00 00"},
    };
    for (const auto& c : cases) {
        SRecordMessage m;
        m.recType = 'R';
        m.recNum = c.recNum;
        m.dataCount = c.count;
        m.address = c.address;
        for (std::size_t i = 0; i < c.data.size(); ++i) m.data[i] = c.data[i];
        const RxText text = RenderSRecord(m);
        EXPECT_EQ(text.text, c.shown) << "type " << c.recNum;
        EXPECT_EQ(text.kind, RxAppendKind::text);
    }
}

DmpMessage Dmp(double unit, int port, int func, std::string data, bool dle = false) {
    DmpMessage m;
    if (unit >= 0) m.unitId = static_cast<std::uint32_t>(unit);
    m.portIndex = static_cast<std::int16_t>(port);
    m.funcCode = static_cast<std::uint16_t>(func);
    m.data = std::move(data);
    m.dleFlag = dle;
    return m;
}

TEST(TerminalRender, DmpLinesNumberedAndCompact) {
    struct Case {
        const char* what;
        bool ascii;
        bool numbers;
        DmpMessage message;
        std::int16_t countBefore;
        std::optional<std::string> shown;
        std::int16_t countAfter;
    };
    const std::vector<Case> cases = {
        {"numbered", true, true, Dmp(0x1A, 2, 's', "hello"), 3, "003 -> AJ       2 s hello", 4},
        {"compact", true, false, Dmp(0x1A, 2, 's', "hello"), 3, "hello", 3},
        {"no port, unit 0", true, true, Dmp(0, -1, 'w', "x"), 0, "000 -> P          w x", 1},
        {"control code", true, true, Dmp(1, 0, 6, ""), 998, "998 -> A        0 A \r\n", 999},
        {"count wraps", true, true, Dmp(1, 0, 21, ""), 999, "999 -> A        0 N \r\n", 0},
        {"restart numbered", true, true, Dmp(1, 1, 114, "go"), 5, "005 -> A        1 !ReStart! go", 6},
        {"online diags numbered", true, true, Dmp(1, 1, 103, std::string("\x01\x14", 2)), 0,
         "000 -> A        1 G 001 020 \r\n", 1},
        {"online diags compact", true, false, Dmp(0x1A, 1, 103, std::string("\x01\x14", 2)), 0,
         "AJ       Online Diags = 001 020 \r\n", 0},
        {"restart compact", true, false, Dmp(1, 1, 114, ""), 0, "!ReStart! \r\n", 0},
        {"empty compact", true, false, Dmp(1, 1, 's', ""), 0, "\r\n", 0},
        {"DLE filtered", true, true, Dmp(2, 3, 's', std::string("a\x01\r\nb~\x7f", 7), true), 0,
         "000 -> B        3 s ab~\r\n", 1},
        {"hex", false, true, Dmp(2, 3, 's', "AB"), 7, "41 42 ", 7},
        {"hex empty", false, true, Dmp(2, 3, 's', ""), 7, std::nullopt, 7},
    };
    for (const auto& c : cases) {
        std::int16_t count = c.countBefore;
        const auto text = RenderDmp(c.ascii, c.numbers, c.message, count);
        ASSERT_EQ(text.has_value(), c.shown.has_value()) << c.what;
        if (text) {
            EXPECT_EQ(text->text, *c.shown) << c.what;
            EXPECT_EQ(text->kind, c.ascii ? RxAppendKind::normalizedText : RxAppendKind::hex) << c.what;
        }
        EXPECT_EQ(count, c.countAfter) << c.what;
    }
}

TEST(TerminalRender, HexDumpRowsBreakEverySixteenPairsWhateverTheChunks) {
    const std::string pairs16 = "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF ";
    EXPECT_EQ(HexDumpRows(pairs16, 0), pairs16);
    EXPECT_EQ(HexDumpRows("41 42 ", 45), "41 \n42 ");
    EXPECT_EQ(HexDumpRows("41 ", 48), "\n41 ");
    // A line end of the text starts a new row.
    EXPECT_EQ(HexDumpRows("01 41 \r\n02 ", 45), "01 \n41 \r\n02 ");
    std::string joined;
    int column = 0;
    for (int i = 0; i < 40; ++i) {
        const std::string piece = HexDumpRows("AB ", column);
        joined += piece;
        const auto nl = joined.rfind('\n');
        column = static_cast<int>(nl == std::string::npos ? joined.size() : joined.size() - nl - 1);
    }
    std::string row;
    for (int i = 0; i < 16; ++i) row += "AB ";
    EXPECT_EQ(joined, row + "\n" + row + "\n" + row.substr(0, 24));
}

// Types keys into a hex entry line as the window does: key rule, then the layout rewrite.
struct HexLine {
    std::string text;
    int caret = 0;
    void type(char key) {
        const HexKeyResult r = HexEntryKey(text, caret, key);
        if (r.action == HexKeyResult::pass) {
            if (r.key == kKeyBackspace) {
                if (caret > 0) text.erase(static_cast<std::size_t>(--caret), 1);
            } else {
                text.insert(static_cast<std::size_t>(caret++), 1, r.key);
            }
        } else if (r.action == HexKeyResult::rewrite) {
            text = r.text;
            caret = r.caret;
        }
        const HexLayout l = HexEntryLayout(text, caret);
        text = l.text;
        caret = l.caret;
    }
    void type(const std::string& keys) {
        for (char k : keys) type(k);
    }
};

TEST(HexEntry, DigitsPairUpAndBackspaceTakesWholeDigits) {
    HexLine line;
    line.type("0123");
    EXPECT_EQ(line.text, "01 23 ");
    line.type(kKeyBackspace);
    EXPECT_EQ(line.text, "01 2");
    line.type("G!\x01");
    EXPECT_EQ(line.text, "01 2");
    line.type('b');
    EXPECT_EQ(line.text, "01 2B ");
    line.type("  ");
    EXPECT_EQ(line.text, "01 2B  ");  // the last two characters are not walked
    // Backspace after a blank in the middle removes the digit before that blank.
    line.caret = 3;
    line.type(kKeyBackspace);
    EXPECT_EQ(line.text, "0 2B  ");
    EXPECT_EQ(line.caret, 1);
}

// With a selection (the line selects its text when it gets the focus), Backspace and Delete
// remove exactly the selection, and what is left is laid out again.
TEST(HexEntry, BackspaceAndDeleteRemoveTheSelectionThenTheLineIsLaidOut) {
    struct Case {
        const char* what;
        std::string text;
        int selStart, selLength;
        std::string out;
        int caret;
    };
    const std::vector<Case> cases = {
        {"whole line", "01 23 ", 0, 6, "", 0},
        {"last pair", "01 23 45 ", 3, 3, "01 45 ", 3},
        {"across two pairs", "01 23 45 ", 1, 3, "03 45 ", 1},
        {"to the end", "01 23 45 ", 4, 5, "01 2", 4},
        {"a blank between digits", "AB CD ", 2, 1, "AB CD ", 3},
    };
    for (const auto& c : cases) {
        for (const char key : {kKeyBackspace, kKeyDelete}) {
            SCOPED_TRACE(std::string(c.what) + (key == kKeyDelete ? ", Delete" : ", Backspace"));
            const int caret = c.selStart + c.selLength;  // the caret at the selection's end
            const HexKeyResult r = HexEntryKey(c.text, caret, key, c.selStart, c.selLength);
            ASSERT_EQ(r.action, HexKeyResult::rewrite);
            EXPECT_EQ(r.text, c.out);
            EXPECT_EQ(r.caret, c.caret);
            EXPECT_EQ(HexEntryLayout(r.text, r.caret).text, r.text);  // nothing left to lay out
        }
    }
    // Without a selection, Delete is the box's own and Backspace keeps its rule.
    EXPECT_EQ(HexEntryKey("01 23 ", 0, kKeyDelete).action, HexKeyResult::pass);
    EXPECT_EQ(HexEntryKey("01 23 ", 6, kKeyBackspace).text, "01 2");
}

TEST(HexEntry, LayoutSplitsRunsAndCollapsesBlanks) {
    struct Case {
        std::string in;
        std::string out;
    };
    const std::vector<Case> cases = {
        {"0", "0"}, {"AB", "AB "}, {"ABCDEF", "AB CD EF "}, {"A  B", "A B"}, {"", ""}, {"ABC", "AB C"},
    };
    for (const auto& c : cases) {
        const HexLayout l = HexEntryLayout(c.in, static_cast<int>(c.in.size()));
        EXPECT_EQ(l.text, c.out) << c.in;
        EXPECT_EQ(l.caret, static_cast<int>(c.out.size())) << c.in;
    }
}

}  // namespace
}  // namespace k45
