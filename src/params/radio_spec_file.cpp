#include "params/radio_spec_file.h"

#include "params/record_file_io.h"
#include "platform/places.h"

namespace k45 {

std::string RadioSpecFileName(const AppState& state) { return JoinPath(state.places.programFolder, "radspecs.cfg"); }

bool LoadRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, RadioSpecTable& specs) {
    return record_file::LoadWholeFile(fileName, [&] {
        record_file::Reader reader(locale, fileName);
        record_file::TransferRadioSpecs(reader, specs, true);
    });
}

bool SaveRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, const RadioSpecTable& specs,
                       std::string* error) {
    return record_file::SaveWholeFile(fileName, error, [&] {
        RadioSpecTable copy = specs;
        record_file::Writer writer(locale, fileName);
        record_file::TransferRadioSpecs(writer, copy, true);
    });
}

bool LoadRadioSpecs(AppState& state) {
    return LoadRadioSpecFile(state.locale, RadioSpecFileName(state), state.testDefaults.radioSpecs);
}

bool SaveRadioSpecs(const AppState& state, std::string* error) {
    return SaveRadioSpecFile(state.locale, RadioSpecFileName(state), state.testDefaults.radioSpecs, error);
}

}  // namespace k45
