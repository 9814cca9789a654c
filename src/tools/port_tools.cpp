#include "tools/port_tools.h"

#include <algorithm>
#include <cmath>

#include "base/converters.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"

namespace k45 {

PortStatsSnapshot ReadPortStats(const classComm& port, bool primary) {
    PortStatsSnapshot s;
    s.caption = std::string(primary ? "Primary Port - " : "Secondary Port - ") + "Com" +
                std::to_string(port.settings().portNumber);
    s.open = port.GetCommPortOpen();
    if (!s.open) return s;
    s.baudRate = std::to_string(port.GetWorkingBaudRate());
    s.rts = port.GetRTS();
    s.dtr = port.GetDTR();
    s.cts = port.GetCTS();
    s.dsr = port.GetDSR();
    s.dcd = port.GetDCD();
    s.bytesTxed = WholeText(port.GetTxBytes());
    s.bytesRxed = WholeText(port.GetRxBytes());
    s.framingErrors = WholeText(port.GetFramingErrors());
    s.dribbleBytes = WholeText(port.GetDribbleBytes());
    return s;
}

int PortTestModeIndex(std::int32_t txMode) {
    if (txMode == 8) return 3;
    if (txMode < 0 || txMode > 8) return 0;
    return txMode / 2;
}

Rgb PaletteColor(int index) {
    static const Rgb palette[16] = {
        {0, 0, 0},       {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0},     {128, 0, 128},
        {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
        {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
    return palette[std::clamp(index, 0, 15)];
}

PortTestEngine::PortTestEngine(DialogueLinks links)
    : links_(links),
      primary_(*links.ports.classCommPrimary),
      secondary_(*links.ports.classCommSecondary),
      scheduler_(*links.services.scheduler) {
    for (int line = 0; line < 4; ++line) {
        toggleTimers_[static_cast<std::size_t>(line)] = scheduler_.createTimer();
        toggleTimers_[static_cast<std::size_t>(line)]->setEnabled(false);
        toggleTimers_[static_cast<std::size_t>(line)]->setHandler([this, line] {
            if (Present()) ToggleTick(line);
        });
        pulseTimers_[static_cast<std::size_t>(line)] = scheduler_.createTimer();
        pulseTimers_[static_cast<std::size_t>(line)]->setEnabled(false);
    }
    dotTimer_ = scheduler_.createTimer();
    dotTimer_->setEnabled(false);
    dotTimer_->setInterval(1);
    dotTimer_->setHandler([this] {
        if (!view_) return;
        std::uniform_real_distribution<double> where(0.0, 1.0);
        const double x = where(random_);
        const double y = where(random_);
        view_->DrawDot(x, y, dotColorIndex_);
    });
}

PortTestEngine::~PortTestEngine() {
    if (Present()) Unload();
    else Abandon();
}

void PortTestEngine::Abandon() {
    for (auto& t : toggleTimers_) t->setEnabled(false);
    for (auto& t : pulseTimers_) t->setEnabled(false);
    dotTimer_->setEnabled(false);
    view_ = nullptr;
}

int PortTestEngine::toggleIntervalMs() const {
    return std::clamp(static_cast<int>(std::lround(delaySeconds_ * 1000.0)), 1, 5000);
}

bool PortTestEngine::toggling(int line) const { return toggleTimers_[static_cast<std::size_t>(line)]->enabled(); }

void PortTestEngine::Load(PortTestView& view) {
    view_ = &view;
    boxes_ = {};
    for (int p = 0; p < 2; ++p) {
        classComm& port = p == 0 ? primary_ : secondary_;
        modeIndex_[static_cast<std::size_t>(p)] = PortTestModeIndex(port.settings().txModeValue);
        // A port in DMP mode 8 shows the nearest entry and keeps its mode until one is chosen.
        modeUntouched_[static_cast<std::size_t>(p)] = port.settings().txModeValue == 8;
        view_->ShowModeIndex(p == 0, modeIndex_[static_cast<std::size_t>(p)]);
    }
    ApplyPortTestSettings(false);
    bool any = false;
    for (int line = 0; line < 4; ++line) {
        if (LineLevel(line)) {
            boxes_[static_cast<std::size_t>(line)] = true;
            view_->ShowLineBox(line, true);
            any = true;
        }
    }
    if (any) ApplyPortTestSettings(true);
    drawingStarted_ = false;
    primary_.RegisterForRawData(this);
    secondary_.RegisterForRawData(this);
}

void PortTestEngine::Unload() {
    if (!view_) return;
    for (auto& t : toggleTimers_) t->setEnabled(false);
    for (auto& t : pulseTimers_) t->setEnabled(false);
    dotTimer_->setEnabled(false);
    drawingStarted_ = false;
    primary_.DeRegisterForAll(this);
    secondary_.DeRegisterForAll(this);
    view_ = nullptr;
}

bool PortTestEngine::LineLevel(int line) const {
    const classComm& port = line < 2 ? primary_ : secondary_;
    return (line % 2 == 0) ? port.GetDTR() : port.GetRTS();
}

void PortTestEngine::SetLine(int line, bool on) {
    classComm& port = PortOf(line);
    if (line % 2 == 0) port.SetDtrSignal(on);
    else port.SetRtsSignal(on);
}

void PortTestEngine::ApplyPort(classComm& port, int which, bool forceRts) {
    const std::int32_t mode = kPortTestModes[static_cast<std::size_t>(modeIndex_[static_cast<std::size_t>(which)])].txMode;
    // A refused setting has shown its own box; the exchange goes on regardless.
    if (!modeUntouched_[static_cast<std::size_t>(which)]) (void)port.OverrideHandshaking(mode);
    const int dtr = which == 0 ? primaryDtr : secondaryDtr;
    const int rts = which == 0 ? primaryRts : secondaryRts;
    if (forceRts || mode != 5) port.SetRtsSignal(boxes_[static_cast<std::size_t>(rts)]);
    port.SetDtrSignal(boxes_[static_cast<std::size_t>(dtr)]);
}

void PortTestEngine::ApplyPortTestSettings(bool forceRts) {
    if (!view_) return;
    ApplyPort(primary_, 0, forceRts);
    ApplyPort(secondary_, 1, forceRts);
}

void PortTestEngine::SelectMode(bool primary, int index) {
    const std::size_t which = primary ? 0 : 1;
    modeIndex_[which] = std::clamp(index, 0, 3);
    modeUntouched_[which] = false;
    ApplyPortTestSettings(false);
}

void PortTestEngine::LineBoxClicked(int line, bool on) {
    if (continuous_) {
        ToggleClicked(line);
        return;
    }
    boxes_[static_cast<std::size_t>(line)] = on;
    ApplyPortTestSettings(true);
}

void PortTestEngine::ToggleClicked(int line) {
    if (!view_) return;
    const std::size_t i = static_cast<std::size_t>(line);
    if (!continuous_) {
        // A single pulse: the line inverted for the delay, then back, on a timer.
        Timer& pulse = *pulseTimers_[i];
        if (pulse.enabled()) return;
        const bool level = LineLevel(line);
        SetLine(line, !level);
        pulse.setInterval(toggleIntervalMs());
        pulse.setHandler([this, line, level] {
            pulseTimers_[static_cast<std::size_t>(line)]->setEnabled(false);
            if (Present()) SetLine(line, level);
        });
        pulse.setEnabled(true);
        return;
    }
    Timer& timer = *toggleTimers_[i];
    if (timer.enabled()) {
        boxes_[i] = false;
        view_->ShowLineBox(line, false);
        timer.setEnabled(false);
        SetLine(line, false);
    } else {
        boxes_[i] = true;
        view_->ShowLineBox(line, true);
        timer.setInterval(toggleIntervalMs());
        timer.setEnabled(true);
    }
}

void PortTestEngine::SetContinuous(bool on) {
    continuous_ = on;
    if (on) return;
    for (int line : {primaryDtr, primaryRts, secondaryDtr, secondaryRts}) {
        Timer& timer = *toggleTimers_[static_cast<std::size_t>(line)];
        if (!timer.enabled()) continue;
        boxes_[static_cast<std::size_t>(line)] = false;
        if (view_) view_->ShowLineBox(line, false);
        ApplyPortTestSettings(true);
        timer.setEnabled(false);
        SetLine(line, false);
    }
}

void PortTestEngine::SetToggleDelay(double seconds) {
    if (seconds >= 0.001 && seconds <= 5.0) delaySeconds_ = seconds;
}

void PortTestEngine::ToggleTick(int line) {
    const std::size_t i = static_cast<std::size_t>(line);
    states_[i] = !states_[i];
    SetLine(line, states_[i]);
    AdvanceTestPanel();
}

void PortTestEngine::AdvanceTestPanel() {
    if (view_) view_->ShowPanel(panelPercent_);
    panelPercent_ = (panelPercent_ + 1) % 101;
}

void PortTestEngine::TestClicked() {
    dotColorIndex_ = (dotColorIndex_ + 1) % 16;
    if (drawingStarted_ || !view_) return;
    drawingStarted_ = true;
    dotTimer_->setEnabled(true);
}

}  // namespace k45
