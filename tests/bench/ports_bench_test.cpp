// The ports at the bench: a terminal on a device without modem control lines, and Port Settings
// checking the device the operator types before OK.
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>

#include <chrono>
#include <thread>

#include "bench/bench_session.h"
#include "frame/ui/mdi_main.h"

namespace k45::test {
namespace {

class PortsOnTheBench : public BenchTest {
protected:
    static constexpr const char* kSettings = "formPortSettings";

    bool InFront(const std::string& caption) const {
        QMdiSubWindow* sub = MainWindow()->mdiArea()->activeSubWindow();
        return sub && sub->widget() && sub->widget()->windowTitle().toStdString() == caption;
    }
    // Watches for boxes for a while, answering each with OK; returns their texts.
    std::vector<std::string> BoxesWithin(int ms) {
        std::vector<std::string> texts;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(ms));
        while (std::chrono::steady_clock::now() < until) {
            const std::string text = Gui([&] {
                auto* b = qobject_cast<QMessageBox*>(ModalBox());
                return b ? b->text().toStdString() : std::string();
            });
            if (!text.empty()) {
                texts.push_back(text);
                AnswerBox("OK");
                WaitFor("the box gone", [&] { return ModalBox() == nullptr; });
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return texts;
    }
    std::string PrimaryStatus() const {
        return ToolChild<QLabel>(kSettings, "labelPrimaryDevice")->text().remove(QChar(0x200B)).toStdString();
    }
    void OpenPortSettings() {
        Keys("alt+u p");
        WaitFor("Port Settings in front", [&] { return ActiveChild() == kSettings; });
    }
    void TypePrimaryDevice(const std::string& path) {
        Click([&]() -> QWidget* { return ToolChild<QWidget>(kSettings, "comboPrimaryDevice"); });
        Keys("ctrl+a");
        Type(path);
    }
};

// Com1 on a bare pseudo-terminal: the terminal's mode cannot set RTS or DTR there. The
// terminal comes to the front five times (back from Port Settings closed with Escape and with
// Cancel, from Port Statistics, through the Window menu); the device's limits are shown once.
TEST_F(PortsOnTheBench, ATerminalOnADeviceWithoutControlLinesShowsItsLimitsOnce) {
    ASSERT_NO_FATAL_FAILURE(Prepare(
        {.words = {}, .com1 = BenchEnd::Kind::Silent, .com2 = BenchEnd::Kind::Silent, .com1ControlLines = false}));
    Run([&] {
        const std::string terminal = "Primary ASCII Terminal";
        std::vector<std::string> boxes;
        auto watch = [&] {
            for (const std::string& b : BoxesWithin(1500)) boxes.push_back(b);
        };
        auto backToTerminal = [&](const char* how) {
            WaitFor(std::string("the terminal in front after ") + how, [&] { return InFront(terminal); });
            watch();
        };
        Keys("alt+u a p");
        backToTerminal("opening it");

        OpenPortSettings();
        Keys("Escape");  // cancels Port Settings
        backToTerminal("Port Settings closed with Escape");

        OpenPortSettings();
        Click([&]() -> QWidget* { return ToolChild<QWidget>(kSettings, "buttonCancel"); });
        backToTerminal("Port Settings cancelled");

        Keys("alt+u t");
        WaitFor("Port Statistics in front", [&] { return ActiveChild() == "formComStats"; });
        WindowMenu("formHexText");
        backToTerminal("Port Statistics");

        WindowMenu("formComStats");
        WaitFor("Port Statistics in front again", [&] { return ActiveChild() == "formComStats"; });
        WindowMenu("formHexText");
        backToTerminal("the Window menu");

        EXPECT_LE(boxes.size(), 1u);
        for (const std::string& b : boxes) {
            EXPECT_EQ(b.rfind("Could Not", 0), 0u) << b;
            EXPECT_NE(b.find("Handshaking For Com Port 1"), std::string::npos) << b;
            EXPECT_NE(b.find("modem control lines"), std::string::npos) << b;
        }
        ExitProgram();
    });
}

// The device typed for the open Com1 is missing: the status line says so before OK, OK asks,
// No keeps Com1 open on its device; Yes leaves it closed, and the good device chosen again
// opens it.
TEST_F(PortsOnTheBench, PortSettingsChecksTheDeviceAndKeepsAnOpenPortUnlessConfirmed) {
    ASSERT_NO_FATAL_FAILURE(Prepare({.words = {}, .com1 = BenchEnd::Kind::Silent, .com2 = BenchEnd::Kind::Silent}));
    Run([&] {
        const std::string missing = HomeFile("ttyUSB9");
        const std::string good = HomeFile("ttyCom1");
        OpenPortSettings();
        WaitFor("Com1 open", [&] { return PrimaryStatus() == "Open now on this device."; });
        TypePrimaryDevice(missing);
        WaitFor("the missing device named",
                [&] { return PrimaryStatus().rfind("The device was not found. Open now on", 0) == 0; });
        Click([&]() -> QWidget* { return ToolChild<QWidget>(kSettings, "buttonOK"); });
        std::string box = WaitBox();
        EXPECT_NE(box.find("The device " + missing + " was not found."), std::string::npos) << box;
        AnswerBox("&No");
        WaitFor("Port Settings still open", [&] { return ModalBox() == nullptr && Shown(kSettings); });
        Keys("Escape");
        WaitFor("Port Settings closed", [&] { return !Shown(kSettings); });
        OpenPortSettings();
        WaitFor("Com1 still open on its device", [&] { return PrimaryStatus() == "Open now on this device."; });

        TypePrimaryDevice(missing);
        WaitFor("the missing device named", [&] { return PrimaryStatus().rfind("The device was not found.", 0) == 0; });
        Click([&]() -> QWidget* { return ToolChild<QWidget>(kSettings, "buttonOK"); });
        box = WaitBox();
        EXPECT_NE(box.find("Use it for Com1 anyway?"), std::string::npos) << box;
        AnswerBox("&Yes");
        box = WaitBox();
        EXPECT_EQ(box.rfind("Could Not Open Com Port 1", 0), 0u) << box;
        AnswerBox("OK");
        WaitFor("Port Settings closed", [&] { return ModalBox() == nullptr && !Shown(kSettings); });

        OpenPortSettings();
        WaitFor("Com1 closed on the missing device", [&] { return PrimaryStatus() == "The device was not found."; });
        TypePrimaryDevice(good);
        WaitFor("the good device present",
                [&] { return PrimaryStatus() == "The device is present; OK opens the port on it."; });
        Click([&]() -> QWidget* { return ToolChild<QWidget>(kSettings, "buttonOK"); });
        WaitFor("Port Settings closed", [&] { return !Shown(kSettings); });
        if (!BoxesWithin(1000).empty()) throw BenchFailure("a box after choosing the good device");
        OpenPortSettings();
        WaitFor("Com1 open again", [&] { return PrimaryStatus() == "Open now on this device."; });
        Keys("Escape");
        WaitFor("Port Settings closed", [&] { return !Shown(kSettings); });
        ExitProgram();
    });
}

}  // namespace
}  // namespace k45::test
