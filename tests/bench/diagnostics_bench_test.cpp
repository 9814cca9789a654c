// Diagnostics at the bench: polling the local and remote units through the modem on Com1, the
// raw packet stream of a modem programmed for it, and the alarm and filter limits.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "bench/bench_session.h"
#include "frame/ui/mdi_main.h"

namespace k45::test {
namespace {

constexpr char kCrLf[] = "\r\n";

// What one unit reports: its diagnostic values (the same in all three sets) and counters, and
// the units it hears.
struct UnitReport {
    std::uint8_t battery, temperature, rssi, fwdPower, revPower;
    std::uint32_t good, total, dcd;
    struct Heard {
        std::uint16_t id;
        std::uint8_t rssi, temperature, battery, fwdPower, revPower;
    };
    std::vector<Heard> heard;

    SimulatedModem::DiagBlock Block() const {
        SimulatedModem::DiagBlock b{};
        for (int set = 0; set < 3; ++set) {
            const std::uint8_t v[10] = {30, 20, battery, 50, 0, 50, temperature, rssi, fwdPower, revPower};
            for (int i = 0; i < 10; ++i) b[static_cast<std::size_t>(set * 10 + i)] = v[i];
        }
        const std::uint32_t counters[3] = {good, total, dcd};
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 4; ++k)
                b[static_cast<std::size_t>(30 + c * 4 + k)] = static_cast<std::uint8_t>(counters[c] >> (24 - 8 * k));
        return b;
    }
    // The reply records of "AS": the block in three data records, the end record, the acknowledgement.
    std::string DiagReply() const {
        const auto b = Block();
        return DataRecord(4000, b.data(), 16) + kCrLf + DataRecord(4016, b.data() + 16, 16) + kCrLf +
               DataRecord(6000, b.data() + 32, 10) + kCrLf + EndRecord() + kCrLf + AckRecord() + kCrLf;
    }
    // "NS": nine bytes per heard unit, every field present.
    std::string StatsReply() const {
        std::vector<std::uint8_t> bytes;
        for (const Heard& h : heard) {
            const auto high = static_cast<std::uint8_t>(h.id >> 8), low = static_cast<std::uint8_t>(h.id & 0xFF);
            const std::uint8_t e[9] = {127, high, low, h.rssi, h.temperature, h.battery, 0, h.fwdPower, h.revPower};
            bytes.insert(bytes.end(), e, e + 9);
        }
        std::string out;
        for (std::size_t at = 0; at < bytes.size(); at += 16)
            out += DataRecord(5000 + static_cast<std::int32_t>(at), bytes.data() + at,
                              static_cast<int>(std::min<std::size_t>(16, bytes.size() - at))) +
                   kCrLf;
        return out + EndRecord() + kCrLf + AckRecord() + kCrLf;
    }
};

std::string RemotePrefix(std::uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "REM%08X", id);
    return hex;
}

class DiagnosticsOnTheBench : public BenchTest {
protected:
    // On the program's thread: a label's, a box's or a list's text.
    std::string Shows(const std::string& window, const std::string& child) const {
        QWidget* w = ToolChild<QWidget>(window, child);
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
        if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText().toStdString();
        return "(no " + child + ")";
    }
    std::string Text(const std::string& window, const std::string& child) {
        return Gui([=, this] { return Shows(window, child); });
    }
    void ClickChild(const std::string& window, const std::string& child) {
        Click([=, this]() -> QWidget* { return ToolChild<QWidget>(window, child); });
    }
    // The two station frames: the diagnostics values, then the statistics entry and its values.
    std::vector<std::string> Frames(const std::string& w) {
        return Gui([=, this] {
            std::vector<std::string> out;
            for (const char* name : {"labelBatteryVoltage", "labelAnalogVcc", "labelTemperature", "labelRssiLevel",
                                     "labelFwdPwr", "labelRevPwr", "labelPreambleGood", "labelPreambleTotal",
                                     "labelPreambleDCD", "comboRemoteSelect", "labelIDTruncated", "labelStatsRssi",
                                     "labelStatsTemp", "labelStatsBatt", "labelStatsFwdPwr", "labelStatsRevPwr"})
                out.push_back(Shows(w, name));
            return out;
        });
    }
    // A unit whose diagnostics gate is on, for the online window.
    void PrepareGatedUnit() {
        ASSERT_NO_FATAL_FAILURE(Prepare({}));
        ASSERT_NO_FATAL_FAILURE(
            LoadUnit(com1(), 123456, "Bench unit", [](ModemParameters& p) { p.diagGateMode = kTrue; }));
    }
    // The online window opened from the menu, its parameter read done; active again once the
    // reader has gone, it listens from then on.
    void OpenOnline() {
        Keys("alt+u i");
        WaitLine(com1(), "DE");
        WaitFor("the parameter reader to close", [&] { return !Shown("formParmsGetCurrent") && Shown("formOnLine"); });
        WaitFor("the online window to be active", [&] { return ActiveChild() == "formOnLine"; });
    }
    // The diagnostic ID list the program loads at start-up.
    void WriteIdList(const std::string& ids) {
        std::ofstream(HomeFile("filter.dia"), std::ios::binary) << "[Filters]\r\nFilter IDs 00=" << ids << "\r\n";
    }
};

// The commands of the exchange, without the level polls that run between them.
std::vector<std::string> Exchange(const std::vector<std::string>& lines, std::size_t from) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i] != "RSSI") out.push_back(lines[i]);
    return out;
}

TEST_F(DiagnosticsOnTheBench, ListScanEndsShowingTheUnitItStartedFrom) {
    ASSERT_NO_FATAL_FAILURE(Prepare({}));
    ASSERT_NO_FATAL_FAILURE(LoadUnit(com1(), 123456, "Bench unit"));
    WriteIdList("100,200,300");
    // The local unit on Com1 and, behind it, remote 100 and 300; remote 200 is out of reach.
    const UnitReport local{120, 25, 80, 30, 2, 10, 12, 1, {}};
    const UnitReport unit100{131, 31, 91, 20, 3, 100, 110, 5, {{7, 95, 20, 125, 0, 1}}};
    const UnitReport unit300{114, 40, 77, 45, 9, 300, 333, 33, {{9, 66, 51, 99, 12, 4}}};
    com1().withModem([&](SimulatedModem& m) { m.diagBlock = local.Block(); });
    const std::map<std::string, const UnitReport*> remotes = {{RemotePrefix(100), &unit100},
                                                              {RemotePrefix(300), &unit300}};
    com1().answerAlso([&](const std::string& line) -> std::string {
        if (line == "NS") return local.StatsReply();
        if (line.size() != 13) return {};
        const auto unit = remotes.find(line.substr(0, 11));
        if (unit == remotes.end()) return {};
        if (line.substr(11) == "AS") return unit->second->DiagReply();
        if (line.substr(11) == "NS") return unit->second->StatsReply();
        return {};
    });

    Run([&] {
        Keys("alt+u d");
        const std::string w = "formOffLine";
        WaitFor("the local unit's ID from its parameters", [&] { return Shows(w, "textLocalId") == "123456"; });
        WaitLine(com1(), "CSWITCH");
        ClickChild(w, "optionRemote");
        ClickChild(w, "optionRemoteList");
        WaitFor(
            "\"Remote ID List\" chosen", [&] { return ToolChild<QAbstractButton>(w, "optionRemoteList")->isChecked(); },
            10000);
        EXPECT_EQ(Text(w, "comboRemoteIDs"), "100");
        const std::size_t start = com1().lines().size();
        ClickChild(w, "buttonDiagsStatsGet");

        // Each unit in list order; 200 is asked four times, then left.
        WaitLine(com1(), RemotePrefix(300) + "NS", start, 60000);
        WaitFor("the scan's end", [&] {
            return Shows(w, "comboRemoteIDs") == "100" &&
                   ToolChild<QWidget>(w, "panelProgress")->property("value").toInt() == 0;
        });
        const std::string at100 = RemotePrefix(100), at200 = RemotePrefix(200), at300 = RemotePrefix(300);
        EXPECT_EQ(Exchange(com1().lines(), start),
                  (std::vector<std::string>{"AS", "NS", at100 + "AS", at100 + "NS", at200 + "AS", at200 + "AS",
                                            at200 + "AS", at200 + "AS", at300 + "AS", at300 + "NS"}));

        // The box is back at 100, and both frames show what 100 reported, not 300's values.
        EXPECT_EQ(Frames(w),
                  (std::vector<std::string>{"13.1 V", "5.0 V", "31 C", "-91 dBm", "2.0 W", "0.3 W", "100", "110", "5",
                                            "  7", "No", "-95 dBm", "20 C", "12.5 V", "0.0 W", "0.1 W"}));

        // Started from 200, which never answers, the scan ends on 200 with nothing to show.
        FocusMainWindow();
        Click([&]() -> QWidget* { return ToolChild<QComboBox>(w, "comboRemoteIDs"); });
        Keys("Down");
        WaitFor("200 in the remote ID box", [&] { return Shows(w, "comboRemoteIDs") == "200"; });
        const std::size_t again = com1().lines().size();
        ClickChild(w, "buttonDiagsStatsGet");
        WaitLine(com1(), at300 + "NS", again, 60000);
        WaitFor("the second scan's end", [&] { return Shows(w, "comboRemoteIDs") == "200"; });
        EXPECT_EQ(Frames(w), (std::vector<std::string>{"---- V", "---- V", "---- C", "---- dBm", "---- W", "---- W",
                                                       "----", "----", "----", "", "----", "---- dBm", "---- C",
                                                       "---- V", "---- W", "---- W"}));
        ExitProgram();
    });
}

// A raw diagnostic packet of a unit below 1024 with its power values; the last byte makes the sum 0.
std::string OnlinePacket(int shortId, std::uint8_t rssi, std::uint8_t temperature, std::uint8_t battery) {
    std::string p = {static_cast<char>(1 | ((shortId & 256) ? 32 : 0) | ((shortId & 512) ? 64 : 0)),
                     static_cast<char>(shortId & 0xFF),
                     static_cast<char>(rssi),
                     static_cast<char>(temperature),
                     static_cast<char>(battery),
                     0,
                     20,
                     2};
    int sum = 0;
    for (char c : p) sum += static_cast<unsigned char>(c);
    p += static_cast<char>((256 - sum % 256) % 256);
    return p;
}

TEST_F(DiagnosticsOnTheBench, OnlineStreamKeepsTheNewestRowInView) {
    ASSERT_NO_FATAL_FAILURE(PrepareGatedUnit());
    Run([&] {
        OpenOnline();
        const std::string w = "formOnLine";

        // More units than the grid shows at the window's first size, in one stream.
        constexpr int kUnits = 40;
        std::string stream;
        for (int id = 1; id <= kUnits; ++id) stream += OnlinePacket(id, 80, 25, 120);
        com1().sendToHost(stream);
        int newest = -1;
        WaitFor("the last unit's row", [&] {
            QAbstractItemModel* m = ToolChild<QTableView>(w, "gridRxData")->model();
            for (int r = 0; r < m->rowCount(); ++r)
                if (m->data(m->index(r, 1)).toString() == QString::number(kUnits)) newest = r;
            return newest >= 0;
        });
        EXPECT_EQ(newest, kUnits - 1);
        const auto [view, row] = Gui([&] {
            auto* grid = ToolChild<QTableView>(w, "gridRxData");
            return std::make_pair(grid->viewport()->rect(), grid->visualRect(grid->model()->index(newest, 1)));
        });
        EXPECT_TRUE(view.contains(row)) << "the newest row lies at y " << row.top() << ".." << row.bottom()
                                        << ", the grid shows y " << view.top() << ".." << view.bottom();
        ExitProgram();
    });
}

// Slotted by ID, the grid holds one row per unit: scrolled down to the last units, it stays
// there while their packets keep arriving.
TEST_F(DiagnosticsOnTheBench, SlottedGridStaysScrolledToTheLastUnits) {
    ASSERT_NO_FATAL_FAILURE(PrepareGatedUnit());
    Run([&] {
        OpenOnline();
        const std::string w = "formOnLine";
        ClickChild(w, "optionDisplaySlot");
        WaitFor("\"Slotted (by ID)\" chosen",
                [&] { return ToolChild<QAbstractButton>(w, "optionDisplaySlot")->isChecked(); });

        constexpr int kUnits = 40;
        auto streamAt = [&](std::uint8_t rssi) {
            std::string stream;
            for (int id = 1; id <= kUnits; ++id) stream += OnlinePacket(id, rssi, 25, 120);
            com1().sendToHost(stream);
            const QString shown = QString::number(-static_cast<int>(rssi));
            WaitFor("every unit's row at -" + std::to_string(rssi) + " dBm", [&] {
                QAbstractItemModel* m = ToolChild<QTableView>(w, "gridRxData")->model();
                for (int r = 0; r < kUnits; ++r)
                    if (m->data(m->index(r, 2)).toString() != shown) return false;
                return true;
            });
        };
        streamAt(80);

        // The operator goes to the grid's last row.
        Click([&]() -> QWidget* { return ToolChild<QTableView>(w, "gridRxData")->viewport(); });
        Keys("ctrl+End");
        auto scroll = [&] {
            return Gui([&] {
                QScrollBar* bar = ToolChild<QTableView>(w, "gridRxData")->verticalScrollBar();
                return std::make_pair(bar->value(), bar->maximum());
            });
        };
        WaitFor("the grid scrolled to its bottom", [&] {
            QScrollBar* bar = ToolChild<QTableView>(w, "gridRxData")->verticalScrollBar();
            return bar->maximum() > 0 && bar->value() == bar->maximum();
        });
        const auto [bottom, max] = scroll();

        streamAt(90);
        streamAt(85);
        EXPECT_EQ(scroll(), std::make_pair(bottom, max)) << "the view went back to row " << scroll().first;
        const auto [view, row] = Gui([&] {
            auto* grid = ToolChild<QTableView>(w, "gridRxData");
            return std::make_pair(grid->viewport()->rect(), grid->visualRect(grid->model()->index(kUnits - 1, 1)));
        });
        EXPECT_TRUE(view.contains(row)) << "the last unit's row lies at y " << row.top() << ".." << row.bottom()
                                        << ", the grid shows y " << view.top() << ".." << view.bottom();
        ExitProgram();
    });
}

// The simulator panel plays a modem's online stream on the primary port: opened from the menu it
// is the active child and, once started, sends the packets asked for and unlocks its settings.
TEST_F(DiagnosticsOnTheBench, SimulatorPanelStreamsTheOnlinePacketsAskedFor) {
    ASSERT_NO_FATAL_FAILURE(Prepare({.engineering = true, .words = {}, .com1 = BenchEnd::Kind::Silent}));
    Run([&] {
        const std::string w = "formDiagTst";
        Keys("alt+n d");
        WaitFor("the simulator panel to be active", [&] { return ActiveChild() == w; });
        Click([&]() -> QWidget* { return ToolChild<QWidget>(w, "textNumOfPackets"); });
        Keys("ctrl+a");
        Type("5");
        ClickChild(w, "buttonStart");
        constexpr std::size_t kPacketBytes = 9;
        WaitFor("five packets at the far end", [&] { return com1().received().size() >= 5 * kPacketBytes; });
        WaitFor("the run's end", [&] { return ToolChild<QWidget>(w, "buttonStart")->isEnabled(); });
        EXPECT_EQ(Text(w, "labelPacketsTxed"), "5");
        EXPECT_EQ(com1().received().size(), 5 * kPacketBytes);
        ExitProgram();
    });
}

TEST_F(DiagnosticsOnTheBench, TypedLimitReplacesTheSelectedOneAndIsSaved) {
    ASSERT_NO_FATAL_FAILURE(Prepare({}));
    ASSERT_NO_FATAL_FAILURE(LoadUnit(com1(), 123456, "Bench unit"));
    WriteIdList("100");
    Run([&] {
        const std::string w = "formDiagFilt";
        Keys("alt+u g");
        WaitFor("the Diagnostic IDs, Alarms and Filters window", [&] { return ActiveChild() == w; });
        EXPECT_EQ(Text(w, "textLoRssi"), "-130");
        ClickChild(w, "textLoRssi");
        Keys("ctrl+a");
        Type("-125");
        Keys("Tab");
        WaitFor("the focus to leave Low RSSI", [&] { return !ToolChild<QWidget>(w, "textLoRssi")->hasFocus(); });
        EXPECT_EQ(Text(w, "textLoRssi"), "-125");

        // OK keeps it: the window opened again shows it, and the exit writes it to the file.
        ClickChild(w, "buttonOK");
        EXPECT_EQ(WaitBox(), "Save Data before closing?");
        AnswerBox("&Yes");
        WaitFor("the window closed", [&] { return !Shown(w); });
        Keys("alt+u g");
        WaitFor("the window opened again", [&] { return ActiveChild() == w; });
        EXPECT_EQ(Text(w, "textLoRssi"), "-125");
        ExitProgram();
    });
    std::ifstream file(HomeFile("filter.dia"), std::ios::binary);
    std::stringstream dia;
    dia << file.rdbuf();
    const std::string text = dia.str();
    const std::size_t alarms = text.find("[Alarms]\r\n");
    ASSERT_NE(alarms, std::string::npos) << text;
    const std::string section = text.substr(alarms, text.find('[', alarms + 1) - alarms);
    EXPECT_NE(section.find("\r\nLow RSSI=-125\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace k45::test
