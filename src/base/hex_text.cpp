#include "base/hex_text.h"

namespace k45 {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Digits of the quotient by each power of 16, truncated toward zero, low four bits kept.
std::string TruncatedDigits(std::int32_t value, int width) {
    std::string out(static_cast<size_t>(width), '0');
    std::int64_t divisor = 1;
    for (int i = width - 1; i >= 0; --i) {
        const std::int64_t q = static_cast<std::int64_t>(value) / divisor;  // C++ truncates toward zero
        out[static_cast<size_t>(i)] = kDigits[q & 15];
        divisor *= 16;
    }
    return out;
}

int DigitOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The first width characters, padded in front with "0" when shorter.
std::string Field(std::string_view text, size_t width) {
    std::string f(text.substr(0, width));
    if (f.size() < width) f.insert(0, width - f.size(), '0');
    return f;
}

}  // namespace

std::string ByteToHex2(std::int32_t value) { return TruncatedDigits(value, 2); }
std::string WordToHex4(std::int32_t value) { return TruncatedDigits(value, 4); }
std::string Long24ToHex6(std::int32_t value) { return TruncatedDigits(value, 6); }

std::string LongToHex8(std::uint32_t value) {
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kDigits[value & 15];
    return out;
}

std::int16_t HexDigitValue(std::string_view text) {
    if (text.empty()) return 0;
    const int d = DigitOf(text.front());
    return static_cast<std::int16_t>(d < 0 ? 0 : d);
}

std::int16_t HexToByte(std::string_view text) {
    const std::string f = Field(text, 2);
    return static_cast<std::int16_t>(16 * HexDigitValue(std::string_view(f).substr(0, 1)) +
                                     HexDigitValue(std::string_view(f).substr(1, 1)));
}

std::int32_t HexToWord(std::string_view text) {
    const std::string f = Field(text, 4);
    return 256 * HexToByte(std::string_view(f).substr(0, 2)) + HexToByte(std::string_view(f).substr(2, 2));
}

std::uint32_t HexToLong(std::string_view text) {
    const std::string f = Field(text, 8);
    return 65536u * static_cast<std::uint32_t>(HexToWord(std::string_view(f).substr(0, 4))) +
           static_cast<std::uint32_t>(HexToWord(std::string_view(f).substr(4, 4)));
}

std::string StringToHexText(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        out += ByteToHex2(static_cast<unsigned char>(c));
        out += ' ';
    }
    return out;
}

int ParseHexBytes(std::span<std::int16_t> target, std::string_view text, int startIndex) {
    int pending = 0;
    int pendingDigits = 0;
    std::int64_t stored = 0;
    char previous = '\0';
    auto store = [&] {
        const std::int64_t at = static_cast<std::int64_t>(startIndex) + stored;
        if (at >= 0 && at < static_cast<std::int64_t>(target.size()))
            target[static_cast<size_t>(at)] = static_cast<std::int16_t>(pending);
        ++stored;
        pending = 0;
        pendingDigits = 0;
    };
    for (char c : text) {
        const int d = DigitOf(c);
        if (d >= 0) {
            pending = pending * 16 + d;
            if (++pendingDigits == 2) store();
        } else if ((c == ' ' || c == ',') && c != previous) {
            if (pendingDigits > 0) store();
        }
        previous = c;
    }
    if (pendingDigits > 0) store();
    const std::int64_t end = static_cast<std::int64_t>(startIndex) + stored;
    return end > INT32_MAX ? INT32_MAX : static_cast<int>(end);
}

std::string UnitIdToLetters(std::uint32_t unitId) {
    const std::string hex = LongToHex8(unitId);
    const size_t first = hex.find_first_not_of('0');
    if (first == std::string::npos) return "P";
    std::string out;
    for (size_t i = first; i < hex.size(); ++i) {
        const int d = DigitOf(hex[i]);
        out += d == 0 ? 'P' : static_cast<char>(64 + d);
    }
    return out;
}

std::uint32_t NibblesToLong(std::string_view text) {
    std::string digits;
    for (char c : text.substr(0, 8)) digits += kDigits[static_cast<unsigned char>(c) & 15];
    return HexToLong(digits);
}

}  // namespace k45
