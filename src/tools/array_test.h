#pragma once
// The array test: a transmit-only stream of test arrays out of one port, each array a run of
// equal numbered packets of one of four data types, the next array going out when the port has
// reported the last one sent and, with a packet delay, a delay tick has come since. The window
// holds the controls and implements ArrayTestView.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "serial/comm_form.h"
#include "tools/terminal_core.h"

namespace k45 {

class classComm;
class Scheduler;
class Timer;

enum ArrayDataType : std::int32_t {
    arrayAsciiPattern = 0,
    arrayAsciiNumberPattern = 1,
    arrayBinaryPattern = 2,
    arrayRandomBinary = 3,
};

inline constexpr int kArrayBufferSize = 4096;

// Fills the buffer with the fixed pattern of a type; returns the packet size it measured (58
// and 54 for the text patterns), 16 for the binary types (the random type writes nothing).
int BuildArrayPattern(std::int32_t type, std::array<std::int16_t, kArrayBufferSize>& buffer);

class ArrayTestView {
public:
    virtual ~ArrayTestView() = default;
    virtual bool IsActiveChild() const = 0;
    virtual bool PauseTicked() const = 0;
    virtual void ShowPacketsTxed(std::int32_t count) = 0;
    virtual void ShowPacketSize(int size) = 0;
    virtual void ShowPacketsPerArray(int count) = 0;
    virtual void SetRunning(bool running) = 0;
};

// The window's settings the engine starts from and keeps up to date.
struct ArrayTestSettings {
    std::int16_t dataTypeIndex = 0;
    std::int16_t savedPacketsPerArray = 0;
    std::int32_t packetsToSend = 0;
    std::int16_t savedPacketDelay = 0;
    bool useSecondaryPort = false;
};

class ArrayTestEngine : public CommForm {
public:
    // The two port objects and the scheduler are in their slots already (the window makes its
    // engine at a load: start-up creates the ports after the windows).
    explicit ArrayTestEngine(DialogueLinks links);
    ~ArrayTestEngine() override;

    // ---- settings ("Test Array Window"): the window keeps them until the engine exists and
    // takes them back for saving.
    const ArrayTestSettings& settings() const { return settings_; }
    void setSettings(const ArrayTestSettings& settings) { settings_ = settings; }

    // The terminals that get the dribble-bit marks, in order: primary hex, primary ASCII,
    // secondary hex, secondary ASCII (null where absent).
    std::array<TerminalCore*, 4> terminals{};

    void Load(ArrayTestView& view);
    void Unload();
    void Activate();
    bool loaded() const { return view_ != nullptr; }

    void SelectType(int index);
    void SetPacketsPerArrayScroll(int value);
    void SetDelayScroll(int quarters);
    void SetNumberBox(double packets) { numberBox_ = packets; }
    void SelectSecondaryPort(bool secondary);
    void SetDribbleBitTest(bool on) { dribbleBitTest_ = on; }
    void Start();
    void Stop();

    bool running() const { return testRunning_; }
    std::int32_t packetsTxed() const { return packetsTxed_; }
    std::int32_t dataType() const { return dataType_; }
    std::mt19937& random() { return random_; }
    void Abandon();

    // CommForm
    void TxComplete() override;
    void TxCtsTimeout() override { Stop(); }

private:
    void SendNextArray();
    classComm& Port() { return settings_.useSecondaryPort ? secondary_ : primary_; }

    DialogueLinks links_;
    ArrayTestSettings settings_;
    classComm& primary_;
    classComm& secondary_;
    Scheduler& scheduler_;
    const ModeFlags& flags_;
    ArrayTestView* view_ = nullptr;
    std::unique_ptr<Timer> timerTx_, timerActive_;

    bool testRunning_ = false;
    std::int32_t dataType_ = 0;
    int packetSize_ = 16;
    int asciiPacketSize_ = 58, numberPacketSize_ = 54;
    int maxPacketsPerArray_ = 256;
    int packetsPerArray_ = 1;
    int scrollPackets_ = 1;
    int scrollDelay_ = 0;
    double numberBox_ = 0;
    std::int32_t packetDelayMs_ = 0;
    std::int32_t packetsTxed_ = 0;
    bool txDone_ = false;
    bool delayElapsed_ = false;
    bool dribbleBitTest_ = false;
    std::array<std::int16_t, kArrayBufferSize> txArray_{};
    std::mt19937 random_;
    // The program's port objects may go before the window: once their slot is empty the
    // timers do nothing and the engine goes without touching them.
    bool Present() const { return links_.port() != nullptr; }
};

}  // namespace k45
