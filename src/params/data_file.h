#pragma once
// The data file (*.dat): one ModemParameters record as an INI-format text file.
#include <cstdint>
#include <span>
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Reads the data file into record in place; every key is read with the field's current value
// as default, so an absent key or a value that does not convert leaves its field as it was.
// False, with the record untouched, when fileName is empty, names no existing file, cannot be
// read or holds none of the data file's sections. The channel plan is first reset to the default plan of the radio type and range read.
[[nodiscard]] bool LoadDataFile(const FilePlaces& files, const SharedRecords& records, ModemParameters& record, const std::string& fileName);

// Writes the record to the file (created when needed) in one all-or-nothing write: each section
// is emptied before its keys are written; sections the file format does not name are kept.
// False, with the reason in *error, when the file could not be written; the file on disk then
// keeps its old content.
[[nodiscard]] bool SaveDataFile(const FilePlaces& files, const std::string& fileName, const ModemParameters& record,
                                std::string* error = nullptr);

// Names of the four rate sections for a model: model 6 (PNet) "4800 Baud", "9600 Baud",
// "19200 Baud", "9600 Baud Native"; every other model "1200 Baud" .. "9600 Baud".
const char* RateSectionName(std::int16_t model, int rateIndex);

// ---- value forms shared by the data, test, radio spec and older-model files ----
// Each reads one key with the field's current value as default; an absent key or a text that
// does not convert leaves the field as it was. True when the field was set from the file.

// The words True/False in any case, or a number (0 false, anything else true).
bool ReadFlagValue(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                   const std::string& key, Flag& target);
// A unit ID number: a whole number 0..4294967295, the width the modem keeps (halves to even).
bool ReadUnitIdValue(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                     const std::string& key, std::uint32_t& target);
// MHz, read locale-neutrally, times 1,000,000 to the nearest Hz (halves to even).
bool ReadFrequencyValue(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                        const std::string& key, std::int32_t& hz);
// Comma-separated two-digit hex items written over the row's entries from the first one on; a
// missing second digit counts as 0 ("B" is 176) and a character that is no hex digit as 0.
// An empty or absent row changes nothing, items past the row's end are ignored.
void ReadHexRow(const std::string& fileName, const std::string& section, const std::string& key,
                std::span<std::int16_t> row);
// Comma-separated decimal items; an item that is no number leaves its entry unchanged.
void ReadIntRow(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                const std::string& key, std::span<std::int16_t> row);
// A text value as it may stand on one line of the file: line ends and NULs become blanks.
std::string SingleLineText(const std::string& text);
// The form in which a text value is written so that it reads back as it was: on one line, and
// in quotes when reading would otherwise take something off (blanks or tabs at either end, or a
// matching pair of quotes around it).
std::string TextValueForFile(const std::string& text);

// True when fileName is not empty and names an existing file (not a folder).
bool DataFileExists(const std::string& fileName);

}  // namespace k45
