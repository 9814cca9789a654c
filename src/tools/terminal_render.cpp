#include "tools/terminal_render.h"

#include <algorithm>
#include <cstdio>

#include "base/hex_text.h"

namespace k45 {

namespace {

constexpr char kCrLf[] = "\r\n";

std::string BytesToChars(std::span<const std::uint8_t> data, std::int16_t length) {
    const std::size_t n = std::min<std::size_t>(length < 0 ? 0 : static_cast<std::size_t>(length), data.size());
    return std::string(reinterpret_cast<const char*>(data.data()), n);
}

std::string CodesAsDecimals(std::string_view data) {
    std::string out;
    out.reserve(data.size() * 4);
    for (char c : data) out += ThreeDigits(static_cast<unsigned char>(c)) + " ";
    return out;
}

}  // namespace

std::string ThreeDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03d", value);
    return buffer;
}

RxText RenderRawData(bool isAscii, std::string_view rxStr) {
    if (isAscii) return {RxAppendKind::text, std::string(rxStr)};
    return {RxAppendKind::hex, StringToHexText(rxStr)};
}

RxText RenderCrLfData(bool isAscii, std::string_view rxStr) {
    if (isAscii) return {RxAppendKind::text, kCrLf + std::string(rxStr)};
    return {RxAppendKind::hex, StringToHexText(rxStr)};
}

RxText RenderDecodedData(bool isAscii, std::uint16_t opCode, std::int16_t length,
                         std::span<const std::uint8_t> data) {
    const std::string chars = BytesToChars(data, length);
    if (isAscii) return {RxAppendKind::text, kCrLf + chars};
    std::string frame(1, static_cast<char>(opCode & 0xFF));
    frame += chars;
    return {RxAppendKind::hex, StringToHexText(frame) + kCrLf};
}

RxText RenderSRecord(const SRecordMessage& record) {
    std::string line = kCrLf;
    line += static_cast<char>(record.recType & 0xFF);
    line += std::to_string(record.recNum);
    line += ' ';
    line += ByteToHex2(record.dataCount);
    line += ' ';
    if (record.recNum == 2) line += Long24ToHex6(record.address);
    else if (record.recNum == 8) line += ByteToHex2(record.address & 0xFF);
    else line += WordToHex4(record.address);
    line += ' ';
    const int count = std::clamp<int>(record.dataCount, 0, kSRecordDataSlots);
    for (int i = 0; i < count; ++i) {
        line += ' ';
        line += ByteToHex2(record.data[static_cast<std::size_t>(i)]);
    }
    return {RxAppendKind::text, line};
}

std::optional<RxText> RenderDmp(bool isAscii, bool packetNumbers, const DmpMessage& message,
                                std::int16_t& terminalRxCount) {
    const std::string& data = message.data;
    if (!isAscii) {
        if (data.empty()) return std::nullopt;
        return RxText{RxAppendKind::hex, StringToHexText(data)};
    }
    std::string line;
    if (packetNumbers) {
        line = ThreeDigits(terminalRxCount) + " -> ";
        terminalRxCount = static_cast<std::int16_t>((terminalRxCount + 1) % 1000);
        line += PaddedUnit(message.unitId) + " ";
        line += message.portIndex < 0 ? std::string("  ") : std::to_string(message.portIndex) + " ";
        switch (message.funcCode) {
            case 6: line += "A "; break;
            case 21: line += "N "; break;
            case 19: line += "W "; break;
            case 5: line += "E "; break;
            case 103: line += "G "; break;
            case 114: line += "!ReStart! "; break;
            default:
                line += static_cast<char>(message.funcCode & 0xFF);
                line += ' ';
        }
        if (data.empty()) {
            line += kCrLf;
        } else if (message.funcCode == 103) {
            line += CodesAsDecimals(data) + kCrLf;
        } else if (message.dleFlag) {
            for (char c : data)
                if (c >= ' ' && c <= '~') line += c;
            line += kCrLf;
        } else {
            line += data;
        }
    } else if (message.funcCode == 103) {
        line = PaddedUnit(message.unitId) + " Online Diags = " + CodesAsDecimals(data) + kCrLf;
    } else if (message.funcCode == 114) {
        line = "!ReStart! " + (data.empty() ? std::string(kCrLf) : data);
    } else {
        line = data.empty() ? std::string(kCrLf) : data;
    }
    return RxText{RxAppendKind::normalizedText, line};
}

std::string HexDumpRows(std::string_view hex, int column) {
    std::string out;
    out.reserve(hex.size() + hex.size() / kHexRowChars + 2);
    for (char c : hex) {
        if (column >= kHexRowChars) {
            out += '\n';
            column = 0;
        }
        if (c == '\n' || c == '\r') {
            out += c;
            column = 0;
            continue;
        }
        out += c;
        ++column;
    }
    return out;
}

HexKeyResult HexEntryKey(std::string_view text, int caret, char key, int selStart, int selLength) {
    const int n = static_cast<int>(text.size());
    caret = std::clamp(caret, 0, n);
    if ((key == kKeyBackspace || key == kKeyDelete) && selLength > 0) {
        const int from = std::clamp(selStart, 0, n);
        const int to = std::clamp(selStart + selLength, from, n);
        std::string rest(text.substr(0, static_cast<std::size_t>(from)));
        rest += text.substr(static_cast<std::size_t>(to));
        HexLayout l = HexEntryLayout(rest, from);
        return {HexKeyResult::rewrite, 0, std::move(l.text), l.caret};
    }
    // Delete without a selection is the box's own; the layout follows the change.
    if (key == kKeyDelete) return {HexKeyResult::pass, key, {}, 0};
    if (key == kKeyBackspace) {
        if (n > 0 && text.back() == ' ' && caret == n) {
            std::string t(text.substr(0, static_cast<std::size_t>(std::max(0, n - 2))));
            const int c = static_cast<int>(t.size());
            return {HexKeyResult::rewrite, 0, std::move(t), c};
        }
        if (caret > 0 && text[static_cast<std::size_t>(caret - 1)] == ' ') {
            if (caret < 2) return {HexKeyResult::pass, key, {}, 0};
            std::string t(text);
            t.erase(static_cast<std::size_t>(caret - 2), 1);
            return {HexKeyResult::rewrite, 0, std::move(t), caret - 2};
        }
        return {HexKeyResult::pass, key, {}, 0};
    }
    const char upper = (key >= 'a' && key <= 'z') ? static_cast<char>(key - 'a' + 'A') : key;
    if ((upper >= '0' && upper <= '9') || (upper >= 'A' && upper <= 'F') || upper == ' ')
        return {HexKeyResult::pass, upper, {}, 0};
    return {HexKeyResult::swallow, 0, {}, 0};
}

HexLayout HexEntryLayout(std::string_view text, int caret) {
    std::string s(text);
    const int oldLength = static_cast<int>(s.size());
    int c = std::clamp(caret, 0, oldLength);
    const bool atEnd = caret >= oldLength;
    if (s.empty()) return {s, c};
    // Positions are 0-based here: i walks the text while three characters remain from it.
    for (std::size_t i = 0; i + 2 < s.size(); ++i) {
        if (s[i] == ' ' && s[i + 1] == ' ') {
            s.erase(i + 1, 1);
            --c;
        } else if (s[i] != ' ' && s[i + 1] != ' ' && s[i + 2] != ' ') {
            s.insert(i + 2, 1, ' ');
            ++c;
        }
    }
    if (s.size() > 1 && s[s.size() - 1] != ' ' && s[s.size() - 2] != ' ') {
        s += ' ';
        ++c;
    }
    if (atEnd) c = static_cast<int>(s.size());
    return {s, std::clamp(c, 0, static_cast<int>(s.size()))};
}

std::string PaddedUnit(std::optional<std::uint32_t> unitId) {
    std::string unit = unitId ? UnitIdToLetters(*unitId) : std::string();
    if (unit.size() < 8) unit.append(8 - unit.size(), ' ');
    return unit;
}

}  // namespace k45
