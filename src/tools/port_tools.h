#pragma once
// Port statistics (what each port object shows of itself, read on a 50 ms poll) and the port
// test (transmit mode and RTS/DTR of both ports set by hand, pulsed and toggled on timers,
// and a dot-drawing load on a timer).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "wiring/dialogue_links.h"
#include "serial/comm_form.h"

namespace k45 {

class classComm;
class Scheduler;
class Timer;

// One port as the statistics window shows it.
struct PortStatsSnapshot {
    std::string caption;  // "Primary Port - Com1"
    bool open = false;
    std::string baudRate = "0";
    std::string bytesTxed = "0", bytesRxed = "0", framingErrors = "0", dribbleBytes = "0";
    bool rts = false, dtr = false, cts = false, dsr = false, dcd = false;
};
PortStatsSnapshot ReadPortStats(const classComm& port, bool primary);

// ---- port test ----

enum PortTestLine : int { primaryDtr = 0, primaryRts = 1, secondaryDtr = 2, secondaryRts = 3 };

struct PortTestModeEntry {
    const char* text;
    std::int32_t txMode;
};
inline constexpr std::array<PortTestModeEntry, 4> kPortTestModes{{
    {"No HS", 1}, {"RTS/CTS HS", 3}, {"Flow Control HS", 5}, {"DMP HS", 7}}};
// The list position a port's configured transmit mode selects (mode 8: "DMP HS").
int PortTestModeIndex(std::int32_t txMode);

struct Rgb {
    int r, g, b;
};
// Entry 0..15 of the standard 16-colour palette.
Rgb PaletteColor(int index);

class PortTestView {
public:
    virtual ~PortTestView() = default;
    virtual void ShowLineBox(int line, bool on) = 0;
    virtual void ShowModeIndex(bool primary, int index) = 0;
    virtual void ShowPanel(int percent) = 0;
    // One dot at fractions (0..1) of the drawing area's width and height.
    virtual void DrawDot(double x, double y, int colorIndex) = 0;
};

class PortTestEngine : public CommForm {
public:
    // The two port objects and the scheduler are in their slots already (the window makes its
    // engine at a load: start-up creates the ports after the windows).
    explicit PortTestEngine(DialogueLinks links);
    ~PortTestEngine() override;

    void Load(PortTestView& view);
    void Unload();
    void Activate() { ApplyPortTestSettings(true); }
    bool loaded() const { return view_ != nullptr; }

    void SelectMode(bool primary, int index);
    void LineBoxClicked(int line, bool on);
    void ToggleClicked(int line);
    void SetContinuous(bool on);
    // Seconds, 0.001..5 (the box refuses anything else).
    void SetToggleDelay(double seconds);
    void TestClicked();

    bool toggling(int line) const;
    int toggleIntervalMs() const;
    void Abandon();

private:
    void ApplyPortTestSettings(bool forceRts);
    void ApplyPort(classComm& port, int which, bool forceRts);
    void SetLine(int line, bool on);
    bool LineLevel(int line) const;
    void ToggleTick(int line);
    void AdvanceTestPanel();
    classComm& PortOf(int line) { return line < 2 ? primary_ : secondary_; }

    DialogueLinks links_;
    classComm& primary_;
    classComm& secondary_;
    Scheduler& scheduler_;
    PortTestView* view_ = nullptr;
    std::array<std::unique_ptr<Timer>, 4> toggleTimers_;
    std::array<std::unique_ptr<Timer>, 4> pulseTimers_;
    std::unique_ptr<Timer> dotTimer_;
    std::array<bool, 4> boxes_{};
    std::array<bool, 4> states_{};  // level last written by each continuous toggle
    std::array<int, 2> modeIndex_{0, 0};
    std::array<bool, 2> modeUntouched_{false, false};
    bool continuous_ = false;
    double delaySeconds_ = 0.25;
    int panelPercent_ = 0;
    int dotColorIndex_ = 0;
    bool drawingStarted_ = false;
    std::mt19937 random_;
    // The program's port objects may go before the window: once their slot is empty the
    // timers do nothing and the engine goes without touching them.
    bool Present() const { return links_.port() != nullptr; }
};

}  // namespace k45
