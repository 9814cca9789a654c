#pragma once
// Windows-1252, the code page of the bytes kept in settings and data files and of the text the
// terminals send and show: one byte per character, so byte positions and character positions
// agree. Bytes 0x80..0x9F are the code page's letters and signs; the five it leaves unused
// stand for themselves. A character the code page has not becomes "?".
#include <string>
#include <string_view>

namespace k45 {

char16_t Cp1252ToUtf16(unsigned char byte);
char Utf16ToCp1252(char16_t character);

std::u16string Cp1252ToUtf16(std::string_view bytes);
std::string Utf16ToCp1252(std::u16string_view text);

}  // namespace k45
