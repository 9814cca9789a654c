#pragma once
// Small stateless helpers every layer uses: rounding, path parts, locale-aware number text,
// delimited lists, big-endian packing, character classes and the busy wait.
// Byte arrays are arrays of 16-bit values holding one byte value each, indexed from 0.
// None of these report errors: a step that cannot be done leaves its target unchanged.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/locale_info.h"

namespace k45 {

class Scheduler;

// Nearest whole number, a half going to the even neighbour (0.5 -> 0, 1.5 -> 2, -2.5 -> -2).
double RoundHalfEven(double value);

// ---- paths: taking apart accepts "/" and "\"; the cut is at the last separator ----

// The text before the last separator; programFolder when the path has none.
std::string GetDirectoryPart(std::string_view path, std::string_view programFolder);
// The text after the last separator; the whole path when it has none.
std::string GetFileNamePart(std::string_view path);
// Trimmed of blanks at both ends, then without one final character 0.
std::string StripTrailingNull(std::string_view text);
// The file-name part up to and including its first ".", then the extension (no folder).
// A name without "." gets the extension appended directly.
std::string ChangeExtension(std::string_view path, std::string_view extension);
// The text before the first "|"; the whole text when it has none.
std::string TextBeforeBar(std::string_view text);

// ---- number text in the user's notation ----

// Reads a number: blanks around it, an optional sign ("+", "-" or the locale's minus), digits
// with the locale's decimal separator, an optional exponent. Nothing else is accepted.
std::optional<double> ParseNumberText(std::string_view text, const LocaleInfo& locale);
// Whole-number targets take the nearest value (halves to even); out of range gives nothing.
std::optional<std::int16_t> TextToInt16(std::string_view text, const LocaleInfo& locale);
std::optional<std::int32_t> TextToInt32(std::string_view text, const LocaleInfo& locale);
std::optional<float> TextToSingle(std::string_view text, const LocaleInfo& locale);
std::optional<double> TextToDouble(std::string_view text, const LocaleInfo& locale);
// "True"/"False" in any case, or a number (non-zero is true).
std::optional<bool> TextToBool(std::string_view text, const LocaleInfo& locale);

// ---- delimited lists (the data files keep arrays as comma lists) ----
// The split members return the start index plus the number of items taken; a text that ends
// with the delimiter has a last, empty item. Items past the array's end are not stored; once
// the index passes the end the rest of the text is ignored.

// Each item read as hex (HexToByte); an empty item stores 0.
int SplitToHexByteArray(std::span<std::int16_t> target, std::string_view text, int startIndex,
                        std::string_view delimiter = ",");
// Each item read as a number; an item that is not one leaves its element unchanged.
int SplitToIntArray(const LocaleInfo& locale, std::span<std::int16_t> target, std::string_view text,
                    int startIndex, std::string_view delimiter = ",");
int SplitToDoubleArray(const LocaleInfo& locale, std::span<double> target, std::string_view text,
                       int startIndex, std::string_view delimiter = ",");

// count elements from startIndex (cut at the array's end), joined with the delimiter.
std::string JoinHexByteArray(std::span<const std::int16_t> source, int count, int startIndex,
                             std::string_view delimiter = ",");
std::string JoinIntArray(std::span<const std::int16_t> source, int count, int startIndex,
                         std::string_view delimiter = ",");
// Each element as its nearest whole number.
std::string JoinDoubleArray(std::span<const double> source, int count, int startIndex,
                            std::string_view delimiter = ",");

// ---- big-endian packing into byte arrays ----
// A value that does not fit the width (-32768..65535 for a word, -2147483648..4294967295 for a
// long, after rounding a long to a whole number) is refused: nothing is written. Bytes whose index lies
// outside the array are skipped. Both return index plus the width.
int PutWordBigEndian(std::span<std::int16_t> target, std::int32_t value, int index);
int PutLongBigEndian(std::span<std::int16_t> target, double value, int index);
// The 4 bytes from index on, high first, as 0..4294967295; a byte outside the array counts 0.
double GetLongBigEndian(std::span<const std::int16_t> source, int index);

// ---- big-endian fields of byte buffers (the parameter image): width 1..4 bytes, high first ----
// A put writes the low 8 x width bits of value; a field that does not lie wholly inside the
// buffer is neither written nor read (it reads 0).
void PutBigEndian(std::span<std::uint8_t> target, std::int64_t index, int width, std::int64_t value);
std::int64_t BigEndianAt(std::span<const std::uint8_t> source, std::int64_t index, int width);

// ---- character classes: only the first character counts; empty text is false ----
bool IsPrintableChar(std::string_view text);  // " ".."~", CR, LF
bool IsLowerChar(std::string_view text);
bool IsUpperChar(std::string_view text);
bool IsDigitChar(std::string_view text);
bool IsHexDigitChar(std::string_view text);

// ---- window centring (positions in twips) ----
struct FormPosition {
    int left = 0;
    int top = 0;
};
// Where CenterForm puts a child: an MDI child is placed in the parent's client area a little
// above centre, any other window centred over the parent. A negative result gives 0.
FormPosition CenterFormPosition(bool mdiChild, double parentLeft, double parentTop, double parentWidth,
                                double parentHeight, double childWidth, double childHeight);

// ---- busy wait ----
// Returns once the given time has passed (also across midnight). With yieldEvents, pending
// events run during the wait; without, nothing else runs. Never spins the processor.
void WaitSeconds(Scheduler& scheduler, float seconds, bool yieldEvents);

}  // namespace k45
