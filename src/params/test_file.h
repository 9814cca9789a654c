#pragma once
// The test file (*.tst): one ProductionTestRecord as an INI-format text file.
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Reads the test file into record in place, each key with the field's current value as default.
// False, with the record untouched, when fileName is empty, names no existing file, cannot be
// read or holds none of the test file's sections.
[[nodiscard]] bool LoadTestFile(const FilePlaces& files, ProductionTestRecord& record, const std::string& fileName);

// Writes the record in one all-or-nothing write, each section emptied before its keys are
// written. False, with the reason in *error, when the file could not be written; the file on
// disk then keeps its old content.
[[nodiscard]] bool SaveTestFile(const FilePlaces& files, const std::string& fileName, const ProductionTestRecord& record,
                                std::string* error = nullptr);

}  // namespace k45
