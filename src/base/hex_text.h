#pragma once
// Hex text both ways. Written digits are upper case, most significant first, with leading
// zeros to a fixed width; read digits may be of either case, a character that is not a hex
// digit counts as 0 and short text is padded with "0" in front. Nothing here fails.
#include <cstdint>
#include <concepts>
#include <span>
#include <string>
#include <string_view>

namespace k45 {

// Fixed-width digits of the value's low 8, 16 or 24 bits (of its magnitude's digits for a
// negative value: -1 gives "0F").
std::string ByteToHex2(std::int32_t value);
std::string WordToHex4(std::int32_t value);
std::string Long24ToHex6(std::int32_t value);
// 8 digits of a 32-bit value (a unit ID; a negative int converts to its two's complement).
std::string LongToHex8(std::uint32_t value);

// The first character (0..15), the first 2 (0..255), 4 (0..65535) or 8 (0..4294967295)
// characters; characters after the width are ignored.
std::int16_t HexDigitValue(std::string_view text);
std::int16_t HexToByte(std::string_view text);
std::int32_t HexToWord(std::string_view text);
std::uint32_t HexToLong(std::string_view text);

// Two digits and a blank per character ("AB" gives "41 42 ").
std::string StringToHexText(std::string_view text);

// Free hex text into bytes from startIndex on: two digits make a byte, a blank or comma ends a
// one-digit byte, any other character is skipped. Bytes whose index lies outside the array are
// counted but not stored. Returns startIndex plus the number of bytes parsed.
int ParseHexBytes(std::span<std::int16_t> target, std::string_view text, int startIndex);

// Unit ID as DMP letters: one per hex digit without leading zeros, "A".."O" for 1..15 and "P"
// for 0; a unit ID of 0 gives "P".
std::string UnitIdToLetters(std::uint32_t unitId);
// A number that is not a unit ID (negative, fractional, above 4294967295, not a number) has no
// letters: "". Without this, such a number would reach the unsigned form by a conversion that
// is undefined.
template <std::floating_point T>
std::string UnitIdToLetters(T unitId) {
    if (!(unitId >= 0 && unitId < T(4294967296.0)) || unitId != static_cast<T>(static_cast<std::uint32_t>(unitId)))
        return "";
    return UnitIdToLetters(static_cast<std::uint32_t>(unitId));
}
// The unit ID a letter text stands for: the low four bits of each character are one hex digit;
// only the first eight count.
std::uint32_t NibblesToLong(std::string_view text);

}  // namespace k45
