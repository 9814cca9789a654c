#pragma once
// Settings and data-file access by key, on top of the profile routines (platform/profile.h).
// Inside a ProfileBatch for the same file these read and write the batch's copy, so a saver
// that writes many keys makes one read and one atomic write.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/locale_info.h"
#include "platform/places.h"

namespace k45 {

struct ModeFlags;
struct FilePlaces;

// A local date and time: seconds since 1970-01-01 00:00:00 of the local wall clock (no time
// zone applied). In files it reads "M/D/YYYY h:mm:ss AM"; years 100..9999.
struct IniDate {
    std::int64_t localSeconds = 0;
    bool operator==(const IniDate&) const = default;
};

// A typed value: the kind decides its text form and whether number text read for it is made
// locale-neutral.
using IniValue = std::variant<std::string, bool, IniDate, std::int16_t, std::int32_t, float, double>;

// The text form of a value under the locale: numbers with the locale's decimal separator and
// negative sign, Booleans "True"/"False", dates "M/D/YYYY h:mm:ss AM", text unchanged.
std::string IniValueText(const LocaleInfo& locale, const IniValue& value);

// The key's text, or the text of defaultValue when the file, section or key is missing. When
// defaultValue is a number the text is made locale-neutral (LocalizeNumberText).
std::string ReadIniValue(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                         const std::string& keyName, const IniValue& defaultValue);

// Writes the key (creating file and section when needed); an empty text writes an empty value.
// False, with the reason in *error, when the file could not be written.
[[nodiscard]] bool WriteIniValue(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                                 const std::string& keyName, const IniValue& value, std::string* error = nullptr);

// A window's setting, written while the settings file is saved as one batch: the batch's commit
// reports a file that could not be written, once, so a key's own result adds nothing.
inline void WriteWindowSetting(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                               const std::string& keyName, const IniValue& value) {
    (void)WriteIniValue(locale, fileName, sectionName, keyName, value);
}

// Replaces the section's keys by data ("key=value" entries separated by NUL or line ends);
// the empty text leaves the header with no keys. False, with the reason, on a failed write.
[[nodiscard]] bool WriteIniSection(const std::string& fileName, const std::string& sectionName,
                                   const std::string& data = std::string(), std::string* error = nullptr);

// The settings file: <program folder>/K45MR.ini; in production mode without engineering mode
// the same name in the user's configuration folder.
std::string GetIniFileName(const ModeFlags& modes, const FilePlaces& files);
std::string GetIniFileName(bool engineerMode, bool productionMode, const Places& places);

// Number text from a file in the user's notation: letters, digits, the locale's separator and
// minus and "+" are kept; any other character becomes the minus sign at the front and the
// decimal separator elsewhere ("1.5" reads "1,5" under a comma locale).
std::string LocalizeNumberText(std::string_view text, const LocaleInfo& locale);

// Dates in files: written "M/D/YYYY h:mm:ss AM"; read also as "YYYY-MM-DD hh:mm:ss" (either
// form may omit the time).
std::string FormatIniDate(IniDate date);
std::optional<IniDate> ParseIniDate(std::string_view text);

// Read a key into a field, with the field's value as default. A missing key, or text that does
// not convert to the field's type, leaves the field as it was. True when the field was set.
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, std::string& target);
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, bool& target);
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, IniDate& target);
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, std::int16_t& target);
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, std::int32_t& target);
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, float& target);
bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, double& target);

}  // namespace k45
