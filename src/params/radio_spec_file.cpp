#include "params/radio_spec_file.h"

#include "params/record_file_io.h"
#include "platform/places.h"

namespace k45 {

std::string RadioSpecFileName(const FilePlaces& files) { return JoinPath(files.places.programFolder, "radspecs.cfg"); }

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

bool LoadRadioSpecs(const FilePlaces& files, SharedRecords& records) {
    return LoadRadioSpecFile(files.locale, RadioSpecFileName(files), records.testDefaults.radioSpecs);
}

bool SaveRadioSpecs(const FilePlaces& files, const SharedRecords& records, std::string* error) {
    return SaveRadioSpecFile(files.locale, RadioSpecFileName(files), records.testDefaults.radioSpecs, error);
}

}  // namespace k45
