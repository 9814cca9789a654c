// Command-line words, mode flags and the plain texts of start-up and the main window.
#include <gtest/gtest.h>

#include <cmath>

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

TEST(ToolbarLayoutTest, HeightAndVersionFrameFollowTheButtons) {
    ToolbarLayout none = LayOutToolbar({});
    EXPECT_EQ(none.height, 30);
    EXPECT_EQ(none.frameVersionLeft, 40);
    // Buttons of different heights and a taller one further left.
    ToolbarLayout l = LayOutToolbar({{0, 30, 900, 330}, {900, 30, 900, 400}, {1800, 30, 700, 330}});
    EXPECT_EQ(l.height, 430 + 30);
    EXPECT_EQ(l.frameVersionLeft, 2500 + 40);
}

TEST(Placement, ClampedToTheVisibleDesktop) {
    const PixelRect desk{0, 0, 800, 600};
    struct Case { PixelRect in, out; };
    const Case cases[] = {
        {{10, 20, 300, 200}, {10, 20, 300, 200}},       // inside: unchanged
        {{-50, -40, 300, 200}, {0, 0, 300, 200}},       // off the top left
        {{700, 500, 300, 200}, {500, 400, 300, 200}},   // off the bottom right
        {{100, 100, 2000, 1500}, {0, 0, 800, 600}},     // larger than the desktop
        {{5000, 5000, 0, -3}, {799, 599, 1, 1}},        // garbled size and position
    };
    for (const Case& c : cases) {
        PixelRect r = ClampToDesktop(c.in, desk);
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.width, c.out.width);
        EXPECT_EQ(r.height, c.out.height);
    }
    // A desktop off the origin (second screen to the right).
    PixelRect r = ClampToDesktop({0, 0, 100, 100}, {1920, 0, 1280, 1024});
    EXPECT_EQ(r.left, 1920);
}

TEST(Placement, TwipsConversion) {
    EXPECT_EQ(TwipsToPixels(1500), 100);
    EXPECT_EQ(TwipsToPixels(7.5), 0);    // half a pixel to the even neighbour
    EXPECT_EQ(TwipsToPixels(22.5), 2);
    EXPECT_EQ(TwipsToPixels(1e30), 1000000);
    EXPECT_EQ(TwipsToPixels(std::nan("")), 0);
    EXPECT_EQ(PixelsToTwips(100), 1500.0);
}

}  // namespace
}  // namespace k45
