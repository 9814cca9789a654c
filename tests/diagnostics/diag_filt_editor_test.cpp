// The Diagnostic IDs, Alarms and Filters editor: the list box, the working limits, applying,
// and the file buttons.
#include <gtest/gtest.h>

#include "diagnostics/diag_filt_editor.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

class DiagFilt : public ::testing::Test {
protected:
    DiagFilt() {
        settings.alarmLimits = DefaultAlarmLimits();
        settings.filterLimits = DefaultFilterLimits();
    }
    ~DiagFilt() override { dialogs.verify(); }
    void SetIds(std::initializer_list<std::uint32_t> ids) {
        int i = 0;
        for (std::uint32_t id : ids) settings.filterIds[static_cast<std::size_t>(i++)] = id;
        settings.filterIdCount = static_cast<std::int16_t>(i);
    }
    void Add(const std::string& text) {
        editor.SetIdEntryText(text);
        editor.AddId();
    }
    std::vector<std::uint32_t> Settled() const {
        return {settings.filterIds.begin(), settings.filterIds.begin() + settings.filterIdCount};
    }

    TempHome home;
    ScriptedDialogs dialogs;
    DiagSettings settings;
    DiagFiltEditor editor{settings, dialogs, LocaleInfo{".", "-"}};
};

TEST_F(DiagFilt, AddingAndDeletingIdsInTheListBox) {
    SetIds({5, 12});
    editor.Load();
    Add("0");
    Add("12");
    EXPECT_EQ(editor.ids(), (std::vector<std::string>{"5", "12"}));
    EXPECT_EQ(editor.selected(), 1);
    Add("5000");
    EXPECT_EQ(editor.ids().back(), "5000");
    EXPECT_EQ(editor.shortIdText(), "+ 904");
    editor.SelectId(0);
    EXPECT_EQ(editor.shortIdText(), "  5");
    Add("abc");
    Add("-3");
    EXPECT_EQ(editor.ids().size(), 3u);
    editor.SelectId(2);
    editor.DeleteId();
    EXPECT_EQ(editor.selected(), 1);  // the new last entry
    editor.DeleteId();
    editor.DeleteId();
    EXPECT_EQ(editor.selected(), -1);
    editor.DeleteId();  // nothing selected: nothing removed
    EXPECT_TRUE(editor.ids().empty());
}

TEST_F(DiagFilt, ApplySortsTheSettingsButNotTheListBoxAndDropsRepeats) {
    SetIds({40, 0, 7, 7});
    editor.Load();
    EXPECT_EQ(editor.ids(), (std::vector<std::string>{"40", "7"}));
    Add("3");
    editor.ApplyChanges();
    EXPECT_EQ(Settled(), (std::vector<std::uint32_t>{3, 7, 40}));
    EXPECT_EQ(editor.ids(), (std::vector<std::string>{"40", "7", "3"}));
}

TEST_F(DiagFilt, AFullListRefusesAnotherId) {
    for (int i = 0; i < kMaxFilterIds; ++i) settings.filterIds[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i + 1);
    settings.filterIdCount = kMaxFilterIds;
    editor.Load();
    dialogs.expectBox("2048 IDs");
    Add("99999");
    Add("17");  // already listed: selected, no message
    EXPECT_EQ(editor.ids().size(), static_cast<std::size_t>(kMaxFilterIds));
    EXPECT_EQ(editor.ids()[static_cast<std::size_t>(editor.selected())], "17");
}

TEST_F(DiagFilt, SwitchingSetsClampsTheWorkingCopy) {
    editor.Load();
    ASSERT_TRUE(editor.alarmsShown());
    EXPECT_EQ(editor.boxes()[0], "-130");
    editor.SetBox(1, "-30");  // the filter high RSSI is -30
    editor.ShowFilters();
    EXPECT_EQ(editor.editAlarm().highRssi, -31);
    EXPECT_EQ(editor.boxes()[1], "-30");
    EXPECT_EQ(editor.boxes()[2], "-70");  // the filter's -80 clamped to the range
    editor.SetBox(0, "junk");
    editor.ShowAlarms();
    EXPECT_EQ(editor.editFilter().lowRssi, -140);
}

TEST_F(DiagFilt, ClosingFromCodeAppliesOnlyOnYes) {
    editor.Load();
    Add("9");
    dialogs.expectBox("Save Data before closing?", MsgAnswer::No);
    editor.CloseFromCode();
    EXPECT_EQ(settings.filterIdCount, 0);
    dialogs.expectBox("Save Data before closing?", MsgAnswer::Yes);
    editor.CloseFromCode();
    EXPECT_EQ(Settled(), std::vector<std::uint32_t>{9});
    EXPECT_EQ(dialogs.boxes.back().title, kDiagFiltCaption);
}

TEST_F(DiagFilt, SaveWritesTheFileAndAMissingFileGoesToSaveAs) {
    editor.Load();
    Add("1500");
    Add("4");
    std::string name = home.file("gone.dia");
    dialogs.expectSaveFile(home.file("new.dia"));
    editor.SaveClicked(name, home.path());
    EXPECT_EQ(name, home.file("new.dia"));
    EXPECT_EQ(dialogs.fileRequests.back().title, "Save Alarm/Filter File");
    DiagSettings back;
    LoadDiaFile(back, LocaleInfo{".", "-"}, name);
    EXPECT_EQ(back.filterIdCount, 2);
    EXPECT_EQ(back.filterIds[0], 4u);
    EXPECT_EQ(back.filterIds[1], 1500u);

    // Open replaces the settings at once.
    home.write("other.dia", "[Filters]\r\nFilter IDs 00=77\r\n");
    dialogs.expectOpenFile(home.file("other.dia"));
    editor.OpenClicked(name, home.path());
    EXPECT_EQ(Settled(), std::vector<std::uint32_t>{77});
    EXPECT_EQ(editor.ids(), std::vector<std::string>{"77"});
    dialogs.expectOpenFile(std::nullopt);
    editor.OpenClicked(name, home.path());
    EXPECT_EQ(name, home.file("other.dia"));
}

}  // namespace
}  // namespace k45::test
