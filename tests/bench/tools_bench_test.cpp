// The communication tools at the bench: a terminal on each port and the packet test between
// the two ports, on a cable and with the adapter pulled under a running test.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <thread>
#include <utility>
#include <vector>

#include "bench/bench_session.h"
#include "frame/ui/mdi_main.h"
#include "frame/ui/port_objects.h"
#include "serial/class_comm.h"
#include "support/pty_pair.h"

namespace k45::test {
namespace {

class ToolsOnTheBench : public BenchTest {
protected:
    void ClickChild(const std::string& window, const std::string& child) {
        Click([=, this]() -> QWidget* { return ToolChild<QWidget>(window, child); });
    }
    // The four terminals are one window class; each is known by its caption.
    template <class W>
    W* TerminalChild(const std::string& caption, const char* child) const {
        for (QWidget* t : MainWindow()->findChildren<QWidget*>("formHexText"))
            if (t->windowTitle().toStdString() == caption) return t->findChild<W*>(child);
        return nullptr;
    }
    bool TerminalInFront(const std::string& caption) const {
        QMdiSubWindow* sub = MainWindow()->mdiArea()->activeSubWindow();
        return sub && sub->widget() && sub->widget()->windowTitle().toStdString() == caption;
    }
    std::string Received(const std::string& terminal) {
        return Gui(
            [=, this] { return TerminalChild<QPlainTextEdit>(terminal, "textRxedData")->toPlainText().toStdString(); });
    }
};

TEST_F(ToolsOnTheBench, ATerminalOnEachPortSendsAndShowsItsOwnPortsData) {
    ASSERT_NO_FATAL_FAILURE(Prepare({.words = {}, .com1 = BenchEnd::Kind::Silent, .com2 = BenchEnd::Kind::Silent}));
    Run([&] {
        struct Terminal {
            const char* keys;
            const char* window;
            BenchEnd& end;
            const char* typed;
            const char* answer;
        };
        const Terminal terminals[] = {
            {"alt+u a p", "Primary ASCII Terminal", com1(), "Hello from the primary terminal", "Reply on Com1\r\n"},
            {"alt+u a s", "Secondary ASCII Terminal", com2(), "Hello from the secondary terminal", "Reply on Com2\r\n"},
        };
        for (const Terminal& t : terminals) {
            SCOPED_TRACE(t.window);
            const std::string w = t.window;
            Keys(t.keys);
            WaitFor(w + " in front", [&] { return TerminalInFront(w); });
            Click([&]() -> QWidget* { return TerminalChild<QWidget>(w, "textTxData"); });
            Type(t.typed);
            Keys("Return");
            const std::string line = std::string(t.typed) + "\r\n";
            WaitFor(
                "the typed line at the far end", [&] { return t.end.received().find(line) != std::string::npos; },
                10000);
            EXPECT_NE(Gui([&] {
                          return TerminalChild<QPlainTextEdit>(w, "textTxedData")->toPlainText();
                      }).indexOf(QString(t.typed)),
                      -1);
            t.end.sendToHost(t.answer);
            WaitFor(
                "the far end's line in the terminal",
                [&] { return TerminalChild<QPlainTextEdit>(w, "textRxedData")->toPlainText().contains("Reply on"); },
                10000);
        }
        // Each port's traffic stayed on its own port.
        EXPECT_EQ(com1().received(), "Hello from the primary terminal\r\n");
        EXPECT_EQ(com2().received(), "Hello from the secondary terminal\r\n");
        EXPECT_EQ(Received("Primary ASCII Terminal"), "Reply on Com1\n");
        EXPECT_EQ(Received("Secondary ASCII Terminal"), "Reply on Com2\n");
        ExitProgram();
    });
}

// A terminal takes the keyboard in its entry line when it opens, and has it again after a box:
// the operator opens it from the menu and types, without a click or Tab first. Com1 sends its
// ASCII lines as S-records (mode 9), so a line too long for one record brings up a box.
TEST_F(ToolsOnTheBench, ATerminalHasTheKeyboardInItsEntryLineWhenItOpensAndAfterABox) {
    ASSERT_NO_FATAL_FAILURE(Prepare({.words = {}, .com1 = BenchEnd::Kind::Silent, .com2 = BenchEnd::Kind::Silent}));
    std::ofstream(HomeFile("K45MR.ini"), std::ios::binary | std::ios::app)
        << "[Primary Port Settings]\r\nMode Value=9\r\n";
    Run([&] {
        const std::string hex = "Secondary Hex Terminal";
        Keys("alt+u h s");
        WaitFor(hex + " in front", [&] { return TerminalInFront(hex); });
        Type("0123");
        Keys("Return");
        WaitFor(
            "the typed bytes at the far end", [&] { return com2().received() == "\x01\x23"; }, 10000);
        EXPECT_EQ(Gui([&] { return TerminalChild<QLineEdit>(hex, "textTxData")->text().toStdString(); }), "01 23 ");

        const std::string text = "Primary ASCII Terminal";
        Keys("alt+u a p");
        WaitFor(text + " in front", [&] { return TerminalInFront(text); });
        std::string tooLong = "0100";
        for (int i = 0; i < 253; ++i) tooLong += "5A";
        Gui([&] {
            TerminalChild<QLineEdit>(text, "textTxData")->setText(QString::fromStdString(tooLong));
            return 0;
        });
        Keys("Return");
        EXPECT_EQ(WaitBox(),
                  "Nothing was sent: one S-record carries at most 252 data bytes after its address; the "
                  "line holds 253.");
        AnswerBox("OK");
        // Back in the entry line, which selects its text as it gets the keyboard: the typed
        // line replaces the refused one.
        Type("0100AABB");
        Keys("Return");
        WaitFor(
            "the record at the far end", [&] { return com1().received().find("\r\n") != std::string::npos; }, 10000);
        EXPECT_EQ(com1().received(), "S1050100AABB94\r\n");
        EXPECT_EQ(com2().received(), "\x01\x23");
        ExitProgram();
    });
}

// The counters of the packet test window: host sent, remote received, remote sent, host received.
using Counts = std::array<long long, 4>;

class PacketTestOnTheBench : public ToolsOnTheBench {
protected:
    static constexpr const char* kWindow = "formPacketTst";

    // Com1 and Com2 joined by a null-modem cable: the host on Com1, the remote on Com2.
    void SetUp() override {
        ToolsOnTheBench::SetUp();
        ASSERT_NO_FATAL_FAILURE(Prepare({.words = {}, .com1 = BenchEnd::Kind::Silent, .com2 = BenchEnd::Kind::Silent}));
        com1().crossTo(&com2());
        com2().crossTo(&com1());
    }
    Counts CountsNow() const {
        Counts c{};
        const char* names[] = {"labelHostPacketsTxed", "labelRemotePacketsRxed", "labelRemotePacketsTxed",
                               "labelHostPacketsRxed"};
        for (std::size_t i = 0; i < c.size(); ++i) c[i] = ToolChild<QLabel>(kWindow, names[i])->text().toLongLong();
        return c;
    }
    bool Enabled(const char* button) const { return ToolChild<QAbstractButton>(kWindow, button)->isEnabled(); }

    // The message boxes that came up, in order, each with its time since the log began.
    struct BoxLog {
        std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
        std::vector<std::string> texts;
        std::vector<const QWidget*> up;  // on screen at the last look
        std::string timed;
        int count(const std::string& prefix) const {
            return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                                  [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }));
        }
        std::string all() const { return "boxes:" + timed; }
    };
    // Notes every box that comes up during the next ms, nested ones too.
    void WatchBoxes(BoxLog& log, int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(ms));
        while (std::chrono::steady_clock::now() < until) {
            const auto shown = Gui([] {
                std::vector<std::pair<const QWidget*, std::string>> boxes;
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                        boxes.emplace_back(b, b->text().toStdString());
                return boxes;
            });
            std::vector<const QWidget*> now;
            for (const auto& [box, text] : shown) {
                now.push_back(box);
                if (std::find(log.up.begin(), log.up.end(), box) != log.up.end()) continue;
                const auto at =
                    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - log.since);
                log.texts.push_back(text);
                log.timed += "\n  " + std::to_string(at.count()) + " ms: " + text;
            }
            log.up = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // Answers the boxes on screen one by one, watching ms after each for what the answer lets
    // through.
    void AnswerBoxes(BoxLog& log, int ms) {
        for (int answered = 0; Gui([&] { return ModalBox() != nullptr; }); ++answered) {
            if (answered > 10) throw BenchFailure("boxes without end:" + log.timed);
            AnswerBox("OK");
            WatchBoxes(log, ms);
        }
    }
    // Opens the window and starts a two-port test that runs until it is paused.
    void StartTwoPortTest() {
        Keys("alt+u k");
        WaitFor("the packet test window", [&] { return ActiveChild() == kWindow; });
        ClickChild(kWindow, "optionHostRemote2Ports");
        ClickChild(kWindow, "buttonStart");
        WaitFor("packets both ways", [&] {
            const Counts c = CountsNow();
            return c[0] >= 10 && c[1] >= 10 && c[2] >= 10 && c[3] >= 10;
        });
    }
};

TEST_F(PacketTestOnTheBench, PacketsGoBetweenThePortsAndComeBack) {
    Run([&] {
        StartTwoPortTest();
        ClickChild(kWindow, "buttonPause");
        WaitFor("the test paused", [&] { return Enabled("buttonResume") && !Enabled("buttonPause"); });
        const Counts c = Gui([&] { return CountsNow(); });
        // Nothing is lost on a cable: every packet but the one in flight at the pause came back.
        EXPECT_GE(c[0], c[1]);
        EXPECT_GE(c[1], c[2]);
        EXPECT_GE(c[2], c[3]);
        EXPECT_LE(c[0] - c[3], 1) << "sent " << c[0] << ", came back " << c[3];
        // The frames crossed the cable: the host's on Com1, the remote's replies on Com2.
        EXPECT_FALSE(com1().received().empty());
        EXPECT_FALSE(com2().received().empty());
        ExitProgram();
    });
}

TEST_F(PacketTestOnTheBench, APortLostUnderTheTestEndsItOnceWithItsCounts) {
    Run([&] {
        StartTwoPortTest();
        com1().unplug();
        const std::string text = WaitBox();
        EXPECT_EQ(text.rfind("Lost Com Port 1", 0), 0u) << text;
        const Counts atLoss = Gui([&] { return CountsNow(); });
        AnswerBox("OK");
        std::string another;
        WaitFor("the test ended, paused", [&] {
            if (auto* b = qobject_cast<QMessageBox*>(ModalBox())) another = b->text().toStdString();
            return !another.empty() || (Enabled("buttonResume") && !Enabled("buttonPause"));
        });
        if (!another.empty()) throw BenchFailure("another box after the loss: \"" + another + "\"");

        // A closed port's box would come back with every packet the test goes on sending, a
        // second or two apart: the watch covers more than two of them.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(4000));
        while (std::chrono::steady_clock::now() < until) {
            const auto [box, counts] = Gui([&] {
                auto* b = qobject_cast<QMessageBox*>(ModalBox());
                return std::make_pair(b ? b->text().toStdString() : std::string(), CountsNow());
            });
            if (!box.empty()) throw BenchFailure("another box after the loss: \"" + box + "\"");
            if (counts != atLoss) throw BenchFailure("the counts went on after the loss");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ExitProgram();
    });
}

// The cable pair removed under a running two-port test (both far ends gone at once): each
// port's loss is told once, whether the boxes wait unanswered on each other or are answered,
// whatever the test, its timers and the ports do meanwhile, and when Resume tries the ports
// again.
TEST_F(PacketTestOnTheBench, ThePairRemovedUnderTheTestTellsEachPortsLossOnce) {
    Run([&] {
        StartTwoPortTest();
        BoxLog boxes;
        com1().unplug();
        com2().unplug();
        // Unanswered: whatever comes next comes inside the first box's event loop.
        WatchBoxes(boxes, 6000);
        AnswerBoxes(boxes, 1500);
        WatchBoxes(boxes, 3000);
        // The operator tries again while the pair is still gone: the ports have told their
        // losses, and Resume's attempts to open them add nothing.
        for (int k = 0; k < 2; ++k) {
            WaitFor("the test ended, paused", [&] { return Enabled("buttonResume") && !Enabled("buttonPause"); });
            ClickChild(kWindow, "buttonResume");
            WatchBoxes(boxes, 1500);
            AnswerBoxes(boxes, 500);
        }
        EXPECT_EQ(boxes.count("Lost Com Port 1\r"), 1) << boxes.all();
        EXPECT_EQ(boxes.count("Lost Com Port 2\r"), 1) << boxes.all();
        EXPECT_EQ(boxes.texts.size(), 2u) << boxes.all();
        WaitFor("the test ended, paused", [&] { return Enabled("buttonResume") && !Enabled("buttonPause"); });
        ExitProgram();
    });
}

// The pair plugged in again: Resume opens the ports on it and the packets go round; the devices
// have proved themselves, so removing the pair again is a new loss, told again once per port.
TEST_F(PacketTestOnTheBench, ThePairBackAndRemovedAgainIsANewLossToldOnceMore) {
    Run([&] {
        StartTwoPortTest();
        BoxLog boxes;
        com1().unplug();
        com2().unplug();
        WatchBoxes(boxes, 1000);
        AnswerBoxes(boxes, 1000);
        ASSERT_EQ(boxes.texts.size(), 2u) << boxes.all();

        Replug(1, BenchEnd::Kind::Silent);
        Replug(2, BenchEnd::Kind::Silent);
        com1().crossTo(&com2());
        com2().crossTo(&com1());
        WaitFor("the test ended, paused", [&] { return Enabled("buttonResume") && !Enabled("buttonPause"); });
        const Counts before = Gui([&] { return CountsNow(); });
        ClickChild(kWindow, "buttonResume");
        WaitFor("packets both ways again", [&] {
            const Counts c = CountsNow();
            return c[0] >= before[0] + 10 && c[3] >= before[3] + 10;
        });
        com1().unplug();
        com2().unplug();
        WatchBoxes(boxes, 3000);
        AnswerBoxes(boxes, 1000);
        EXPECT_EQ(boxes.count("Lost Com Port 1\r"), 2) << boxes.all();
        EXPECT_EQ(boxes.count("Lost Com Port 2\r"), 2) << boxes.all();
        EXPECT_EQ(boxes.texts.size(), 4u) << boxes.all();
        ExitProgram();
    });
}

// Whether this user may hang up a terminal (a pseudo-terminal of its own), as hangUp does.
bool MayHangUpATerminal() {
    PtyPair pty;
    if (!pty.ok()) return false;
    const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool done = ::ioctl(fd, TIOCVHANGUP) == 0;
    ::close(fd);
    return done;
}

// The pair hangs up under a running two-port test (both ports' reads fail) and each port tells
// its loss; the devices stay a moment longer, as pseudo-terminals may after their far ends
// went. Swap Comm Ports opens each device on the other port, then the far ends go and each
// device fails at its first read: both losses were told, and nothing more is.
TEST_F(PacketTestOnTheBench, ThePairSwappedWhileItsDevicesLingerTellsNothingMore) {
    if (!MayHangUpATerminal()) GTEST_SKIP() << "this user may not hang up a terminal";
    Run([&] {
        StartTwoPortTest();
        BoxLog boxes;
        if (!com1().hangUp() || !com2().hangUp()) throw BenchFailure("the far ends could not hang up");
        WatchBoxes(boxes, 1500);
        AnswerBoxes(boxes, 1000);
        if (boxes.count("Lost Com Port 1\r") != 1 || boxes.count("Lost Com Port 2\r") != 1)
            throw BenchFailure("the hang-up was not told once per port: " + boxes.all());

        Keys("alt+u w");  // Utilities > Swap Comm Ports
        WaitFor("both ports open again, swapped", [&] {
            PortObjects* p = MainWindow()->ports();
            return p->primary().settings().portNumber == 2 && p->primary().GetCommPortOpen() &&
                   p->secondary().GetCommPortOpen();
        });
        com1().unplug();
        com2().unplug();
        WatchBoxes(boxes, 3000);
        AnswerBoxes(boxes, 1000);
        EXPECT_EQ(boxes.count("Lost Com Port 1\r"), 1) << boxes.all();
        EXPECT_EQ(boxes.count("Lost Com Port 2\r"), 1) << boxes.all();
        EXPECT_EQ(boxes.texts.size(), 2u) << boxes.all();
        WaitFor("both ports closed", [&] {
            PortObjects* p = MainWindow()->ports();
            return !p->primary().GetCommPortOpen() && !p->secondary().GetCommPortOpen();
        });
        ExitProgram();
    });
}

}  // namespace
}  // namespace k45::test
