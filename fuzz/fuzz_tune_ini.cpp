// The tuning levels file (tune.ini) reader from arbitrary bytes. Must hold: what was read,
// written and read again is the same (once the numbers' text is settled by one write).
#include "fuzz_support.h"
#include "tuning/tune_settings.h"

using namespace k45;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string file = fuzz::WriteWorkFile("tune.ini", std::string(reinterpret_cast<const char*>(bytes), size));
    TuneLevels loaded;
    ReadTuneLevels(loaded, file);
    const std::string saved = fuzz::WorkFolder() + "/saved-tune.ini";
    std::remove(saved.c_str());
    FUZZ_CHECK(WriteTuneLevels(loaded, saved));
    TuneLevels once;
    ReadTuneLevels(once, saved);
    FUZZ_CHECK(WriteTuneLevels(once, saved));
    TuneLevels twice;
    ReadTuneLevels(twice, saved);
    FUZZ_CHECK(twice == once);
    return 0;
}
