#include "params/radio_spec_file.h"

#include "frame/converters.h"
#include "frame/ini_routines.h"
#include "params/data_file.h"
#include "params/record_names.h"
#include "platform/places.h"
#include "platform/profile.h"

namespace k45 {
namespace {

template <class Visit>
void ForEachSpecKey(const Visit& visit) {
    for (std::int16_t type = 0; type < 3; ++type) {
        for (std::int16_t range = 0; range < 10; ++range) {
            const std::string section = RadioRangeName(type, range);
            visit.section(section);
            for (std::int16_t p = 0; p < 3; ++p) {
                const size_t e = static_cast<size_t>(RadioSpecIndex(type, range, p));
                const std::string point = PointName(p);
                visit.frequency(section, point + "Rx Frequency", e, &RadioSpec::rxFrequency);
                visit.frequency(section, point + "Tx Frequency", e, &RadioSpec::txFrequency);
                visit.number(section, point + "Rx CN", e, &RadioSpec::rxCn);
                visit.number(section, point + "Rx FC 8", e, &RadioSpec::rxFc8);
                visit.number(section, point + "Rx FC 5", e, &RadioSpec::rxFc5);
                visit.number(section, point + "Tx CN", e, &RadioSpec::txCn);
                visit.number(section, point + "Tx FC 8", e, &RadioSpec::txFc8);
                visit.number(section, point + "Tx FC 5", e, &RadioSpec::txFc5);
            }
        }
    }
}

struct SpecReader {
    const LocaleInfo& locale;
    const std::string& file;
    RadioSpecTable& specs;
    void section(const std::string&) const {}
    void frequency(const std::string& s, const std::string& k, size_t e, std::int32_t RadioSpec::*f) const {
        ReadFrequencyValue(locale, file, s, k, specs[e].*f);
    }
    void number(const std::string& s, const std::string& k, size_t e, std::int16_t RadioSpec::*f) const {
        ReadIniInto(locale, file, s, k, specs[e].*f);
    }
};

struct SpecWriter {
    const LocaleInfo& locale;
    const std::string& file;
    const RadioSpecTable& specs;
    void section(const std::string& s) const { WriteIniSection(file, s); }
    void frequency(const std::string& s, const std::string& k, size_t e, std::int32_t RadioSpec::*f) const {
        WriteIniValue(locale, file, s, k, IniValue(FormatMHz(specs[e].*f, locale)));
    }
    void number(const std::string& s, const std::string& k, size_t e, std::int16_t RadioSpec::*f) const {
        WriteIniValue(locale, file, s, k, IniValue(specs[e].*f));
    }
};

}  // namespace

std::string RadioSpecFileName(const AppState& state) { return JoinPath(state.places.programFolder, "radspecs.cfg"); }

bool LoadRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, RadioSpecTable& specs) {
    if (!DataFileExists(fileName)) return false;
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) return false;
    ForEachSpecKey(SpecReader{locale, fileName, specs});
    return true;
}

bool SaveRadioSpecFile(const LocaleInfo& locale, const std::string& fileName, const RadioSpecTable& specs,
                       std::string* error) {
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) {
        if (error) *error = batch.loadError();
        return false;
    }
    ForEachSpecKey(SpecWriter{locale, fileName, specs});
    return batch.commit(error);
}

bool LoadRadioSpecs(AppState& state) {
    return LoadRadioSpecFile(state.locale, RadioSpecFileName(state), state.testDefaults.radioSpecs);
}

bool SaveRadioSpecs(const AppState& state, std::string* error) {
    return SaveRadioSpecFile(state.locale, RadioSpecFileName(state), state.testDefaults.radioSpecs, error);
}

}  // namespace k45
