#pragma once
// A program folder, a fixed clock and the start-up defaults, for the data file tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/app_state.h"
#include "params/modem_defaults.h"
#include "params/startup_defaults.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

// 2026-03-04 12:00:00 UTC: the same local date in every time zone.
inline constexpr std::int64_t kFixedWallClock = 1772625600;
// 3/4/2026 1:02:03 PM on the local wall clock.
inline constexpr std::int64_t kFixedSetupTime = 1772629323;

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFileBytes(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

inline std::string GoldenPath(const std::string& name) { return std::string(K45_TEST_DATA_DIR) + "/" + name; }

// Compares with a golden file of tests/data; K45_UPDATE_GOLDEN=1 rewrites it (check it by eye).
inline void ExpectMatchesGolden(const std::string& actual, const std::string& name) {
    const std::string p = GoldenPath(name);
    if (const char* u = std::getenv("K45_UPDATE_GOLDEN"); u && *u == '1') WriteFileBytes(p, actual);
    const std::string golden = ReadFileBytes(p);
    if (actual == golden) return;
    size_t at = 0;
    while (at < actual.size() && at < golden.size() && actual[at] == golden[at]) ++at;
    const size_t lineStart = golden.rfind('\n', at) == std::string::npos ? 0 : golden.rfind('\n', at) + 1;
    ADD_FAILURE() << "differs from golden file " << name << " at byte " << at << "; golden line: \""
                  << golden.substr(lineStart, golden.find('\r', lineStart) - lineStart) << "\", written: \""
                  << actual.substr(lineStart, actual.find('\r', lineStart) - lineStart) << "\"";
}

class FileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        clock.setWallClock(kFixedWallClock);
        state.scheduler = &clock;
        state.places.programFolder = home.path();
        state.places.tempFolder = home.path();
        state.places.configFolder = home.path();
        InitDefaultTables(state);
    }

    // The start-up defaults of the modem parameter record, with a fixed setup time.
    ModemParameters DefaultRecord(std::int32_t radioType = 0, std::int32_t radioRange = 5) {
        ModemParameters r;
        r.radioType = radioType;
        r.radioRange = radioRange;
        SetDefaultModemParameters(state, state, r);
        r.setupTime = kFixedSetupTime;
        return r;
    }

    std::string path(const std::string& name) const { return home.file(name); }

    TempHome home;
    VirtualScheduler clock;
    AppState state;
};

}  // namespace k45::test
