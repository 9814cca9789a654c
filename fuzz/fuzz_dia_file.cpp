// The diagnostic settings file (*.dia) reader from arbitrary bytes. Must hold: the ID list is
// ascending, whole numbers 0..4294967295, at most 2048 of them with 0 in every other slot;
// both short-ID lists ascending, distinct and in range; and saved and read back, the settings
// come back the same (limits once their text is settled).
#include "diagnostics/diag_settings.h"
#include "fuzz_support.h"

using namespace k45;

namespace {

void CheckLists(const DiagSettings& s) {
    FUZZ_CHECK(s.filterIdCount >= 0 && s.filterIdCount <= kMaxFilterIds);
    for (int i = 0; i <= kMaxFilterIds; ++i) {
        const double id = s.filterIds[static_cast<size_t>(i)];
        if (i >= s.filterIdCount) {
            FUZZ_CHECK(id == 0);
            continue;
        }
        FUZZ_CHECK(id >= 0 && id <= kMaxUnitId && id == static_cast<double>(static_cast<std::int64_t>(id)));
        if (i > 0) FUZZ_CHECK(id >= s.filterIds[static_cast<size_t>(i - 1)]);
    }
    for (const auto& [ids, count] : {std::pair{&s.shortIds, s.shortIdCount}, std::pair{&s.shortIdsPlus, s.shortIdPlusCount}}) {
        FUZZ_CHECK(count >= 0 && count <= 1024);
        for (int i = 0; i < count; ++i) {
            FUZZ_CHECK((*ids)[static_cast<size_t>(i)] >= 0 && (*ids)[static_cast<size_t>(i)] < 1024);
            if (i > 0) FUZZ_CHECK((*ids)[static_cast<size_t>(i)] > (*ids)[static_cast<size_t>(i - 1)]);
        }
    }
}

bool SameIds(const DiagSettings& a, const DiagSettings& b) {
    return a.filterIdCount == b.filterIdCount && a.filterIds == b.filterIds && a.shortIdCount == b.shortIdCount &&
           a.shortIds == b.shortIds && a.shortIdPlusCount == b.shortIdPlusCount && a.shortIdsPlus == b.shortIdsPlus;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static fuzz::Program program;
    const LocaleInfo& locale = program.state.locale;
    DiagSettings loaded;
    LoadDiaText(loaded, locale, std::string(reinterpret_cast<const char*>(bytes), size));
    CheckLists(loaded);

    const std::string file = fuzz::WorkFolder() + "/saved.dia";
    FUZZ_CHECK(SaveDiaFile(loaded, file));
    DiagSettings once;
    LoadDiaFile(once, locale, file);
    FUZZ_CHECK(SameIds(once, loaded));
    FUZZ_CHECK(SaveDiaFile(once, file));
    DiagSettings twice;
    LoadDiaFile(twice, locale, file);
    FUZZ_CHECK(SameIds(twice, loaded));
    FUZZ_CHECK(twice.alarmLimits == once.alarmLimits && twice.filterLimits == once.filterLimits);
    return 0;
}
