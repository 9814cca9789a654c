#pragma once
// A port object on a scripted serial device in virtual time. The device behaves like one end
// of a null-modem line: written bytes leave at the baud rate and then raise the send event,
// injected bytes raise the receive event at the receive threshold, and the far end's RTS and
// DTR drive this end's CTS, DSR and CD. Each device operation can be made to fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/app_state.h"
#include "platform/serial_device.h"
#include "serial/class_comm.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

class ScriptedDevice : public SerialDevice {
public:
    explicit ScriptedDevice(VirtualScheduler& s) : s_(s) {}

    // ---- what the test controls and reads
    std::string wire;                 // every byte written, in order
    std::vector<std::string> writes;  // each accepted write
    int opens = 0;
    int closes = 0;
    std::vector<std::string> settingsApplied;  // the text form of each accepted setting
    bool refuseOpen = false;
    std::string openError = "No such file or directory";
    std::set<std::string> refusedSettings;  // settings texts the device refuses
    // Parity letters the device cannot do: it takes the rest of such settings, keeps its parity.
    std::string refusedParities;
    bool refuseRts = false;
    bool refuseDtr = false;
    bool refuseWrite = false;
    bool refuseBreak = false;
    int threshold = 1;
    int thresholdWrites = 0;
    bool breakOn = false;
    std::vector<std::pair<std::int64_t, bool>> rtsHistory;  // (time, level) of each change
    std::vector<std::pair<std::int64_t, int>> handshakeHistory;
    // Remote modem answering RTS with CTS after this delay (ms); negative: CTS not answered.
    int ctsAnswerMs = -1;
    // Set when the drain of written bytes is to be held (the output stays counted).
    bool holdOutput = false;
    // The device file the port opens (a real device's path; empty: a device without a file).
    std::string name;
    // Runs as a close begins, once (a device that fails as it is closed raises its loss here).
    std::function<void()> onClose;

    void setCtsLevel(bool on) { setLine(cts_, on, commEvCts); }
    void setDsrLevel(bool on) { setLine(dsr_, on, commEvDsr); }
    void setCdLevel(bool on) { setLine(cd_, on, commEvCd); }
    // Sets a level without raising the change event (a change only the tick finds).
    void setCtsQuietly(bool on) { cts_ = on; }
    // Bytes arriving from the far end; raises the receive event when the threshold is met.
    void inject(const std::string& bytes) {
        input_ += bytes;
        if (static_cast<int>(input_.size()) >= threshold) fire(commEvReceive);
    }
    void fire(int code) {
        if (handler_) handler_(code);
    }
    std::string takeWire() {
        std::string w;
        w.swap(wire);
        return w;
    }
    double bytesPerSecond() const;

    // ---- SerialDevice
    void setPortNumber(int n) override { port_ = n; }
    int portNumber() const override { return port_; }
    bool setSettings(const PortSettings& st, std::string* error) override {
        const std::string text = PortSettingsText(st);
        if (refusedSettings.count(text)) {
            if (error) *error = "The device refused " + text;
            return false;
        }
        if (refusedParities.find(st.parity) != std::string::npos) {
            PortSettings taken = st;
            taken.parity = settings().parity;
            settings_ = taken;
            settingsApplied.push_back(PortSettingsText(taken));
            if (error) *error = std::string("The device refused parity ") + st.parity;
            return false;
        }
        settings_ = st;
        settingsApplied.push_back(text);
        return true;
    }
    PortSettings settings() const override { return settings_.value_or(PortSettings{}); }
    // The settings in force as text, empty before any was set.
    std::string settingsText() const { return settings_ ? PortSettingsText(*settings_) : std::string(); }
    bool open(std::string* error) override {
        if (refuseOpen) {
            if (error) *error = openError;
            return false;
        }
        open_ = true;
        ++opens;
        return true;
    }
    void close() override {
        if (auto f = std::exchange(onClose, nullptr)) f();
        open_ = false;
        ++closes;
    }
    bool isOpen() const override { return open_; }
    std::string deviceName() const override { return name; }
    void setBufferSizes(int in, int out) override {
        (void)in;
        outSize_ = out;
    }
    int outputBufferSize() const override { return outSize_; }
    bool setRts(bool on, std::string* error) override;
    bool rts() const override { return rts_; }
    bool setDtr(bool on, std::string* error) override {
        if (refuseDtr) {
            if (error) *error = "DTR refused";
            return false;
        }
        dtr_ = on;
        return true;
    }
    bool dtr() const override { return dtr_; }
    bool setHandshaking(int mode, std::string*) override {
        handshake_ = mode;
        handshakeHistory.emplace_back(s_.nowMs(), mode);
        return true;
    }
    int handshaking() const override { return handshake_; }
    bool cts() const override { return cts_; }
    bool dsr() const override { return dsr_; }
    bool cd() const override { return cd_; }
    bool setBreak(bool on, std::string* error) override {
        if (refuseBreak) {
            if (error) *error = "break refused";
            return false;
        }
        breakOn = on;
        return true;
    }
    std::string readInput() override {
        std::string r;
        r.swap(input_);
        return r;
    }
    bool write(const std::string& bytes, std::string* error) override;
    int outputCount() const override { return static_cast<int>(pendingOut_); }
    void setReceiveThreshold(int bytes) override {
        threshold = bytes;
        ++thresholdWrites;
    }
    void setEventHandler(std::function<void(int)> h) override { handler_ = std::move(h); }

    // Lets held output drain now.
    void releaseOutput();

private:
    void setLine(bool& line, bool on, int code) {
        if (line == on) return;
        line = on;
        fire(code);
    }
    void scheduleDrain();

    VirtualScheduler& s_;
    std::function<void(int)> handler_;
    int port_ = 0;
    std::optional<PortSettings> settings_;
    bool open_ = false;
    int outSize_ = 16384;
    bool rts_ = false, dtr_ = false, cts_ = false, dsr_ = false, cd_ = false;
    int handshake_ = 0;
    std::string input_;
    size_t pendingOut_ = 0;
    std::uint64_t drainSeq_ = 0;
};

inline double ScriptedDevice::bytesPerSecond() const {
    if (!settings_) return 960;
    const int bits = BitsPerCharacter(*settings_);
    return bits > 0 ? static_cast<double>(settings_->baudRate) / bits : 960;
}

inline bool ScriptedDevice::setRts(bool on, std::string* error) {
    if (refuseRts) {
        if (error) *error = "RTS refused";
        return false;
    }
    if (rts_ != on) rtsHistory.emplace_back(s_.nowMs(), on);
    rts_ = on;
    if (ctsAnswerMs >= 0) {
        s_.callAt(s_.nowMs() + ctsAnswerMs, [this, on] {
            if (rts_ == on) setCtsLevel(on);
        });
    }
    return true;
}

inline bool ScriptedDevice::write(const std::string& bytes, std::string* error) {
    if (refuseWrite) {
        if (error) *error = "write refused";
        return false;
    }
    wire += bytes;
    writes.push_back(bytes);
    pendingOut_ += bytes.size();
    scheduleDrain();
    return true;
}

inline void ScriptedDevice::scheduleDrain() {
    if (holdOutput) return;
    const std::uint64_t seq = ++drainSeq_;
    const auto ms = static_cast<std::int64_t>(std::ceil(pendingOut_ * 1000.0 / bytesPerSecond()));
    s_.callAt(s_.nowMs() + ms, [this, seq] {
        if (seq != drainSeq_ || pendingOut_ == 0) return;
        pendingOut_ = 0;
        fire(commEvSend);
    });
}

inline void ScriptedDevice::releaseOutput() {
    holdOutput = false;
    scheduleDrain();
}

// Message boxes that run the event loop while they are up, as a real box does: every box is
// recorded, then `whileUp` (when set) runs inside it, then the virtual clock runs on for
// `holdMs` before the box is answered OK. What happens in there may show further boxes.
class NestingDialogs : public Dialogs {
public:
    explicit NestingDialogs(VirtualScheduler& s) : s_(s) {}
    std::vector<std::string> boxes;  // each box's text, in the order they came up
    std::int64_t holdMs = 0;
    std::function<void()> whileUp;  // runs inside the next box only
    int depth = 0, deepest = 0;     // boxes up at once, now and at most

    MsgAnswer messageBox(const std::string& text, const std::string&, MsgButtons, MsgIcon) override {
        boxes.push_back(text);
        ++depth;
        deepest = std::max(deepest, depth);
        if (auto f = std::exchange(whileUp, nullptr)) f();
        if (holdMs > 0) s_.advance(holdMs);
        --depth;
        return MsgAnswer::OK;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    int runModal(const std::string&, const std::function<int()>&) override { return 0; }
    // The boxes whose text starts with prefix.
    int count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& b : boxes) n += b.rfind(prefix, 0) == 0;
        return n;
    }
    std::string all() const {
        std::string text;
        for (const std::string& b : boxes) text += "\n  " + b;
        return text;
    }

private:
    VirtualScheduler& s_;
};

// AppState, services and one port object bound to a scripted device and a virtual timer.
struct PortFixture : ::testing::Test {
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppState app;
    std::unique_ptr<RxMessageTables> tables = std::make_unique<RxMessageTables>();
    ScriptedDevice device{sched};
    std::unique_ptr<Timer> timer = sched.createTimer();
    std::unique_ptr<classComm> port;

    PortFixture() {
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        port = std::make_unique<classComm>(app, app.locale, sched, dialogs, *tables);
        port->InitCommCtrl(&device, 0, 1, timer.get());
    }
    ~PortFixture() override { dialogs.verify(); }
};

// A window that records every callback it gets, in order, into a shared log.
struct RecordingForm : CommForm {
    std::vector<std::string>* log;
    std::string name;
    std::function<void()> onCall;  // run inside every callback (after logging)
    RecordingForm(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) {}
    void add(const std::string& what) {
        log->push_back(name + ":" + what);
        if (onCall) onCall();
    }
    void RxDecodedData(std::uint16_t op, std::int16_t len, std::span<const std::uint8_t> d) override {
        std::string s = "frame " + std::to_string(op) + "/" + std::to_string(len);
        for (int i = 0; i < len && i < static_cast<int>(d.size()); ++i) s += " " + std::to_string(d[static_cast<size_t>(i)]);
        add(s);
    }
    void RxDecodedDataRS485(std::uint16_t op, std::int16_t len, std::span<const std::uint8_t>,
                            std::int32_t src) override {
        add("rs485 " + std::to_string(op) + "/" + std::to_string(len) + " from " + std::to_string(src));
    }
    void RxDmpData(std::int16_t slot) override { add("dmp " + std::to_string(slot)); }
    void RxRawData(const std::string& s) override { add("raw " + s); }
    void RxCrLfData(const std::string& s) override { add("line " + s.substr(0, s.size() >= 2 ? s.size() - 2 : 0)); }
    void RxSRecordData(std::int16_t slot) override { add("srec " + std::to_string(slot)); }
    void TxComplete() override { add("txcomplete"); }
    void RxCtsChange(bool f) override { add(std::string("cts ") + (f ? "on" : "off")); }
    void RxDsrChange(bool f) override { add(std::string("dsr ") + (f ? "on" : "off")); }
    void RxDcdChange(bool f) override { add(std::string("dcd ") + (f ? "on" : "off")); }
    void RxBreakSignal() override { add("break"); }
    void TxCtsTimeout() override { add("ctstimeout"); }
};

}  // namespace k45::test
