#include "params/radio_spec_file.h"

#include "params/record_file_io.h"
#include "platform/places.h"

namespace k45 {

std::string RadioSpecFileName(const AppState& state) { return JoinPath(state.places.programFolder, "radspecs.cfg"); }

namespace {

// Every field of every entry, the CN and FC values included.
constexpr auto kTransferSpecs = [](auto& io, RadioSpecTable& specs) {
    record_file::TransferRadioSpecs(io, specs, true);
};

}  // namespace

bool LoadRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, RadioSpecTable& specs) {
    // An overlay: a file without any of the table's sections simply changes nothing.
    return record_file::LoadRecord(locale, fileName, specs, kTransferSpecs, false);
}

bool SaveRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, const RadioSpecTable& specs,
                       std::string* error) {
    return record_file::SaveRecord(locale, fileName, specs, error, kTransferSpecs);
}

bool LoadRadioSpecs(AppState& state) {
    return LoadRadioSpecFile(state.locale, RadioSpecFileName(state), state.testDefaults.radioSpecs);
}

bool SaveRadioSpecs(const AppState& state, std::string* error) {
    return SaveRadioSpecFile(state.locale, RadioSpecFileName(state), state.testDefaults.radioSpecs, error);
}

}  // namespace k45
