#pragma once
// The bench: the whole program as main() runs it, on a real X server with a window manager,
// its Com ports on pseudo-terminals with simulated modems or peers on the far ends, in real
// time. The program runs on the test's main thread with Qt's xcb platform; the scenario runs
// on a driver thread of its own, types and clicks through the X server (xdotool), reads the
// windows on the program's thread, and waits on events with generous limits, never sleeps.
// A failure leaves a screenshot and every far end's log in the build folder and names them.
#include <gtest/gtest.h>

#include <QString>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_modem.h"
#include "model/records.h"
#include "support/temp_home.h"

namespace k45 {
class MDIMain;
}

namespace k45::test {

// A scenario step that did not happen; the bench records it and ends the program.
struct BenchFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An X server with a window manager, for one test process.
class XSession {
public:
    XSession();
    ~XSession();
    bool ok() const { return !display_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& display() const { return display_; }

private:
    int xPid_ = -1, wmPid_ = -1;
    std::string display_, error_;
};

struct BenchOptions {
    bool engineering = false;          // k45mr-engineering instead of k45mr
    std::vector<std::string> words;    // command-line words, e.g. "/ProductionTest"
    BenchEnd::Kind com1 = BenchEnd::Kind::Modem;
    BenchEnd::Kind com2 = BenchEnd::Kind::Silent;
    // False: the port's device has no modem control lines (a bare pseudo-terminal).
    bool com1ControlLines = true;
    bool com2ControlLines = true;
};

class BenchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the far ends, the program folder and its settings (Com1/Com2 on the far ends'
    // devices). Call before Run; the modems can be shaped between the two.
    void Prepare(const BenchOptions& options);
    // Runs the program until the scenario has ended and the program has shut down.
    void Run(const std::function<void()>& scenario);

    // ---- on the driver thread, inside the scenario

    // Runs f on the program's thread and returns its result.
    template <class F>
    auto Gui(F f) -> decltype(f()) {
        using R = decltype(f());
        auto task = std::make_shared<std::packaged_task<R()>>(std::move(f));
        auto result = task->get_future();
        Post([task] { (*task)(); });
        AwaitPosted(result);
        return result.get();
    }
    // Waits until pred (run on the program's thread) holds; throws BenchFailure naming what.
    void WaitFor(const std::string& what, const std::function<bool()>& pred, int limitMs = 30000);
    // Waits until the far end's modem has received a line that starts with prefix, after the
    // `after` lines it had already; returns the index of that line.
    std::size_t WaitLine(BenchEnd& end, const std::string& prefix, std::size_t after = 0, int limitMs = 30000);
    // Waits for a message box; returns its text.
    std::string WaitBox(int limitMs = 30000);
    // Answers the message box on screen by clicking the button with that text ("OK", "&Yes").
    void AnswerBox(const std::string& buttonText);
    // Keys through the X server, as xdotool names them: "alt+u", "F5", "Return".
    void Keys(const std::string& keys);
    void Type(const std::string& text);
    // Clicks the middle of a widget (a check box or an option button on its box) through the
    // X server; the widget is found on the program's thread by find.
    void Click(const std::function<QWidget*()>& find);
    // File > Exit, answering the boxes the shutdown shows in order; waits for the end.
    void ExitProgram(const std::vector<std::string>& answers = {});
    // Window > the window's entry: brings an open tool window to the front, active.
    void WindowMenu(const std::string& objectName);
    // Takes X focus to the main window (the window manager may start it unfocused).
    void FocusMainWindow();

    // ---- on the program's thread
    MDIMain* MainWindow() const;
    QWidget* Tool(const std::string& objectName) const;  // a tool window by its name, or null
    template <class W>
    W* ToolChild(const std::string& window, const std::string& child) const {
        QWidget* w = Tool(window);
        return w ? w->findChild<W*>(QString::fromStdString(child)) : nullptr;
    }
    std::string ActiveChild() const;  // object name of the active tool window, "" for none
    bool Shown(const std::string& objectName) const;
    QWidget* ModalBox() const;

    // The far end's modem holds the program's start-up record with this serial number and
    // comment, then whatever shape changes.
    void LoadUnit(BenchEnd& end, std::int32_t serialNumber, const std::string& comment,
                  const std::function<void(ModemParameters&)>& shape = {});

    // The unit the far end's modem holds now.
    ModemParameters UnitIn(BenchEnd& end);
    // A new far end on port n (1 or 2) behind the same device name, as when an adapter is
    // plugged in again; the old end is gone.
    void Replug(int port, BenchEnd::Kind kind);

    BenchEnd& com1() { return *com1_; }
    BenchEnd& com2() { return *com2_; }
    std::string HomeFile(const std::string& name) const { return home_.file(name); }
    // Time limits grow by K45_BENCH_TIME_SCALE (a slow, loaded or sanitized build).
    static int Scaled(int ms);

private:
    void Post(std::function<void()> f);
    template <class T>
    void AwaitPosted(std::future<T>& f) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(60000));
        while (f.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            if (ended_) throw BenchFailure("the program has ended");
            if (std::chrono::steady_clock::now() > until) throw BenchFailure("the program's thread did not answer");
        }
    }
    void Fail(const std::string& what);
    void RunTool(const std::vector<std::string>& args);
    void EndProgram(bool failed);

    static XSession* x_;
    TempHome home_;
    std::string artifacts_;
    BenchOptions options_;
    std::unique_ptr<BenchEnd> com1_, com2_;
    std::atomic<bool> ended_{false};
    int replugs_ = 0;
    std::string failure_;
    unsigned long mainWindowId_ = 0;
};

}  // namespace k45::test
