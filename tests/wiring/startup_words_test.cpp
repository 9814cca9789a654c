// Command-line words, mode flags and the plain texts of start-up and the main window.
#include <gtest/gtest.h>

#include "wiring/startup.h"

namespace k45 {
namespace {

TEST(CommandLineWords, SplitAtSpacesOnly) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLineWords(""), V{});
    EXPECT_EQ(SplitCommandLineWords("    "), V{});
    EXPECT_EQ(SplitCommandLineWords("  /DebugTest   /ProductionTest  "), (V{"/DebugTest", "/ProductionTest"}));
    EXPECT_EQ(SplitCommandLineWords("/DebugTest\t/ProductionTest"), V{"/DebugTest\t/ProductionTest"});
    EXPECT_EQ(CommandLineText({"/DebugTest", "-ProductionTest"}), "/DebugTest -ProductionTest");
    EXPECT_EQ(CommandLineText({}), "");
}

struct FlagCase {
    bool engineeringBuild;
    const char* commandLine;
    bool engineer, production, debug;
};

void PrintTo(const FlagCase& c, std::ostream* os) {
    *os << (c.engineeringBuild ? "engineering" : "field") << " '" << c.commandLine << "'";
}

class ModeFlagsTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ModeFlagsTest, WordsTakenLeftToRightAgainstCurrentFlags) {
    const FlagCase& c = GetParam();
    AppState s;
    // Flags left over from before are cleared first.
    s.debugTest = s.productionMode = true;
    SetModeFlags(s, c.engineeringBuild, c.commandLine);
    EXPECT_EQ(s.engineerMode, c.engineer) << c.commandLine;
    EXPECT_EQ(s.productionMode, c.production) << c.commandLine;
    EXPECT_EQ(s.debugTest, c.debug) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModeFlagsTest,
    ::testing::Values(
        // Field build: no word turns anything on.
        FlagCase{false, "", false, false, false},
        FlagCase{false, "/DebugTest /ProductionTest", false, false, false},
        FlagCase{false, "-ProductionTest -DebugTest /FieldTest", false, false, false},
        // Engineering build.
        FlagCase{true, "", true, false, false},
        FlagCase{true, "/DebugTest", true, false, true},
        FlagCase{true, "-DebugTest", true, false, true},
        FlagCase{true, "/DebugTest /ProductionTest", false, true, true},
        FlagCase{true, "/ProductionTest /DebugTest", false, true, false},
        FlagCase{true, "-ProductionTest", false, true, false},
        FlagCase{true, "/ProductionTest /FieldTest", false, false, false},
        FlagCase{true, "/DebugTest -FieldTest", false, false, false},
        FlagCase{true, "/FieldTest /ProductionTest", false, false, false},
        // Exact words only: case, extra characters and tabs make them unknown.
        FlagCase{true, "/productiontest", true, false, false},
        FlagCase{true, "/ProductionTest,", true, false, false},
        FlagCase{true, "\t/ProductionTest", true, false, false},
        FlagCase{true, "ProductionTest", true, false, false},
        FlagCase{true, "   /ProductionTest    /DebugTest   ", false, true, false}));

TEST(StartupTexts, PartNumberCarriesTheModeCharacter) {
    AppState s;
    EXPECT_EQ(MakePartNumberText("047-2210-03", s), "047-2210-030");
    s.productionMode = true;
    EXPECT_EQ(MakePartNumberText("047-2210-03", s), "047-2210-031");
    s.engineerMode = true;
    EXPECT_EQ(MakePartNumberText("047-2210-03", s), "047-2210-03#");
}

TEST(StartupTexts, Revision) {
    EXPECT_EQ(RevisionText(2, 5, 7), "Revision 2.05.07");
    EXPECT_EQ(RevisionText(10, 12, 0), "Revision 10.12.00");
    EXPECT_EQ(RevisionText(3, 2, 0), "Revision 3.02.00");
}

TEST(StatusBarTexts, ResendCounterCountsOnFromTheLeadingNumber) {
    EXPECT_EQ(NextTestNumberText(""), "1");
    EXPECT_EQ(NextTestNumberText("1"), "2");
    EXPECT_EQ(NextTestNumberText("7 resends"), "8");
    EXPECT_EQ(NextTestNumberText("x7"), "1");
    EXPECT_EQ(NextTestNumberText("99999999999999999999999"), "1000000000000");
}

TEST(StatusBarTexts, Ports) { EXPECT_EQ(ComPortsText(10, 3), "Com10 / Com3"); }

}  // namespace
}  // namespace k45
