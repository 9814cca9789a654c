#pragma once
// What the terminals make of received data and of the operator's hex typing: plain text
// builders, one per kind of received data, and the hex entry line's key and layout rules.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "serial/messages.h"

namespace k45 {

// How a piece of received text goes into the receive box.
enum class RxAppendKind {
    text,            // appended as it is
    normalizedText,  // NULs dropped, every line end made CR LF
    hex,             // hex dump text
};

struct RxText {
    RxAppendKind kind = RxAppendKind::text;
    std::string text;
};

// A raw received chunk: the chunk itself (ASCII kinds) or its hex form (hex kinds).
RxText RenderRawData(bool isAscii, std::string_view rxStr);
// A received line: on a new row (ASCII kinds) or as hex.
RxText RenderCrLfData(bool isAscii, std::string_view rxStr);
// A decoded sync/escape frame: its data on a new row (ASCII kinds), or opcode and data as hex
// followed by a line end (hex kinds).
RxText RenderDecodedData(bool isAscii, std::uint16_t opCode, std::int16_t length,
                         std::span<const std::uint8_t> data);
// A reply record as one text line, in both kinds.
RxText RenderSRecord(const SRecordMessage& record);
// A DMP frame. Nothing for a frame without data in the hex kinds. With packetNumbers the line
// carries the shared receive count, which then moves on (999 wraps to 0).
std::optional<RxText> RenderDmp(bool isAscii, bool packetNumbers, const DmpMessage& message,
                                std::int16_t& terminalRxCount);

// The hex entry line. A key (already upper-cased by the caller is not required) pressed with
// the caret at `caret`: what passes into the box, or a rewrite of the box's text.
struct HexKeyResult {
    enum Action { pass, swallow, rewrite } action = swallow;
    char key = 0;         // pass: the character to insert
    std::string text;     // rewrite: the new text
    int caret = 0;        // rewrite: the new caret
};
inline constexpr char kKeyBackspace = 8;
inline constexpr char kKeyEnter = 13;
inline constexpr char kKeyDelete = 127;
// Enter is not handled here (the caller sends); every other key of a hex kind. The box's
// selection is [selStart, selStart + selLength): Backspace and Delete remove it whole and lay
// the rest out again.
HexKeyResult HexEntryKey(std::string_view text, int caret, char key, int selStart = 0, int selLength = 0);

// Digits in pairs separated by single blanks, a complete pair followed by a blank; the caret
// follows its characters (and stays at the end when it was there).
struct HexLayout {
    std::string text;
    int caret = 0;
};
HexLayout HexEntryLayout(std::string_view text, int caret);

// The F12 test pattern line ("00 11 22 ... FF ", 48 characters).
inline constexpr std::string_view kHexTestPattern = "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF ";

// The hex dump shown in rows of 16 byte pairs: a line break wherever a row fills, the row in
// progress holding `column` characters before the text. A box then lays out one short row
// per append instead of one ever-growing paragraph.
inline constexpr int kHexRowChars = 48;
std::string HexDumpRows(std::string_view hex, int column);

// A unit's DMP letters in the 8-character column the receive and echo lines give them (blank
// for a frame without a unit).
std::string PaddedUnit(std::optional<std::uint32_t> unitId);

// Three decimal digits with leading zeros ("007").
std::string ThreeDigits(int value);

}  // namespace k45
