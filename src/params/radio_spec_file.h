#pragma once
// radspecs.cfg in the program folder: the radio spec table in force (testDefaults.radioSpecs).
#include <array>
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

using RadioSpecTable = std::array<RadioSpec, kRadioSpecCount>;

// <program folder>/radspecs.cfg
std::string RadioSpecFileName(const FilePlaces& files);

// Lays radspecs.cfg over records.testDefaults.radioSpecs, each key with the entry's current value
// as default. False, with the table unchanged, when the file is missing or cannot be read; a
// file without any of the table's sections changes nothing and gives True.
[[nodiscard]] bool LoadRadioSpecs(const FilePlaces& files, SharedRecords& records);
// Writes records.testDefaults.radioSpecs to radspecs.cfg in one all-or-nothing write: 30 sections
// of 24 keys. False, with the reason in *error, when the file could not be written; the file on
// disk then keeps its old content.
[[nodiscard]] bool SaveRadioSpecs(const FilePlaces& files, const SharedRecords& records, std::string* error = nullptr);

// The same for any file and table.
[[nodiscard]] bool LoadRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, RadioSpecTable& specs);
[[nodiscard]] bool SaveRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, const RadioSpecTable& specs,
                                     std::string* error = nullptr);

}  // namespace k45
