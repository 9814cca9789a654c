#pragma once
// The packet test: a host sends numbered test packets as sync/escape frames, a remote returns
// them under the reply opcode, and the host counts what comes back intact. Pacing on a 125 ms
// tick, a response time-out, stop and pause, the sweep over packet delays and sizes, and the
// result file. The window holds the controls and implements PacketTestView; this class holds
// the window's fields and rules and talks to both port objects and the scheduler.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "serial/comm_form.h"
#include "tools/terminal_core.h"

namespace k45 {

class classComm;
class Dialogs;
class Scheduler;
class Timer;

// The selected option and the running test. The numbers are those the settings file keeps under
// "Mode"; each running host mode has its own stopping mode, in which the test ends at its next
// packet.
enum class PacketTestMode : std::int32_t {
    Idle = 0,
    ResumeSearch = 1,
    Remote = 2,
    Host = 3,
    HostStopping = 4,
    YCable = 5,
    YCableStopping = 6,
    TwoPorts = 7,
    TwoPortsStopping = 8,
    OneWay = 9,
    OneWayStopping = 10,
};

// A mode the operator can select (Host, Remote, the two-port, Y-cable and one-way tests).
bool IsPacketOption(PacketTestMode mode);
// What a running host mode becomes when asked to stop (any other mode as it is).
PacketTestMode StoppingModeOf(PacketTestMode running);
bool IsStoppingMode(PacketTestMode mode);
// The host packets arrive on the secondary port: the two-port and one-way tests, running or stopping.
bool UsesSecondaryPort(PacketTestMode mode);

// Which of "Start", "Stop" and "Testing" is selected in a Multiple test.
enum class SweepEdit { start, stop, testing };

struct PacketTestResult {
    std::int32_t packetDelay = 0;     // 0.25 s units
    std::int32_t bytesPerPacket = 0;  // 0: never stored
    double hostTx = 0;
    double hostRx = 0;
    double remoteTx = 0;
    double remoteRx = 0;
    double ctsFailures = 0;
};

inline constexpr double kPacketCounterLimit = 2147483647.0;

// Halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
std::int32_t NearestEven(double x);
// The response time-out in ticks for a host interval.
std::int32_t GetResponseTicks(std::int32_t intervalTicks);
// quotient x 100 as "0.000 %" (0 for a zero divisor).
std::string PercentText(double numerator, double divisor);
// The bytes-per-packet list for the flags, the test type and the smaller data width.
std::vector<int> BytesPerPacketList(bool engineerMode, bool single, int dataBits);

// The pacing StartTest computes.
struct PacketPacing {
    std::int32_t calculatedTicksShown = 0;  // labelTestCalculatedTicks
    std::int32_t calcTicks = 0;
    std::int32_t hostIntervalTicks = 0;
    std::int32_t remoteDelayTicks = 0;
    bool sendOnReply = false;
};
// bpsP and bpsS: bytes per second of the two ports; mode: the selected option's running mode.
PacketPacing ComputePacketPacing(int packetBytes, double bpsP, double bpsS, double timeFactor,
                                 std::int32_t packetDelayQuarters, int ratio, PacketTestMode mode);

// The result file.
std::string FormatResultLine(const PacketTestResult& result, bool engineerMode);
struct PortDescription {
    std::int32_t baudRate = 9600;
    std::int16_t dataBits = 8;
    std::string parityStr = "n";
    std::int16_t stopBits = 1;
    std::int32_t txModeValue = 1;
};
// The header block: with engineerMode time, date, both ports and the long column header.
std::string ResultFileHeader(bool engineerMode, const std::string& hhmmss, const std::string& mmddyyyy,
                             const PortDescription& host, const PortDescription& remote);

class PacketTestView {
public:
    virtual ~PacketTestView() = default;
    virtual bool IsActiveChild() const = 0;
    // The five counters, the three percentages and the four timing labels.
    virtual void ShowCounters(const PacketTestResult& result) = 0;
    virtual void ShowPercentages(const std::string& hostToRemote, const std::string& remoteToHost,
                                 const std::string& overall) = 0;
    virtual void ShowTiming(const std::string& calculatedTicks, const std::string& hostTicks,
                            const std::string& totalTime, const std::string& totalTicks) = 0;
    // Running: Start and the inputs disabled, Pause enabled. Idle: the reverse; Resume enabled
    // when resumable.
    virtual void SetRunning(bool running, bool resumeEnabled) = 0;
    virtual void SetResumeEnabled(bool on) = 0;
    // Controls the engine moves (shown without running their handlers).
    virtual void ShowDelay(std::int32_t quarters) = 0;
    virtual void ShowBytesList(const std::vector<int>& entries, int selected) = 0;
    virtual void ShowSweepEdit(SweepEdit edit) = 0;
    virtual void ShowNumberOfPackets(double packets) = 0;
    virtual void ShowIndicators(bool hostOn, bool remoteOn) = 0;
};

// The window's settings the engine starts from and keeps up to date.
struct PacketTestSettings {
    double numberOfPackets = 0;
    PacketTestMode savedMode = PacketTestMode::Idle;
    std::int16_t dataBytesIndex = 0, dataBytesStartIndex = 0, dataBytesStopIndex = 0;
    std::int16_t ratioIndex = 0;
    std::int16_t packetDelaySetting = 0, packetDelayStart = 0, packetDelayStop = 0;
    std::string packetTestFile{};
    float timeFactor = 1.5f;
};

class PacketTestEngine : public CommForm {
public:
    // The two port objects and the scheduler are in their slots already (the window makes its
    // engine at a load: start-up creates the ports after the windows).
    explicit PacketTestEngine(DialogueLinks links);
    ~PacketTestEngine() override;

    // ---- settings ("Packet Test Window"): the window keeps them until the engine exists and
    // takes them back for saving.
    const PacketTestSettings& settings() const { return settings_; }
    void setSettings(const PacketTestSettings& settings) { settings_ = settings; }

    // ---- window life
    void Load(PacketTestView& view);
    void Unload();
    void Activate();
    bool loaded() const { return view_ != nullptr; }

    // ---- controls
    void SelectOption(PacketTestMode option);
    void SelectSingle(bool single);
    void SelectSweepEdit(SweepEdit edit);
    void SelectBytesIndex(int index);
    void SelectRatioIndex(int index);
    void SetDelay(std::int32_t quarters);
    void SetNumberBox(double packets) { numberBox_ = packets; }
    void SetAsciiMode(bool on) { asciiMode_ = on; }
    void SetTurnAround(bool on) { turnAround_ = on; }
    void Start();
    void Pause() { StopTest(true); }
    void Resume();
    void Clear();
    // Writes the result file through the save dialog; the program folder names the default.
    void Save(Dialogs& dialogs, const std::string& programFolder);
    // Every 125 ms while loaded: the receive indicators.
    void IndicatorTick();

    // ---- state for the window and tests
    PacketTestMode testMode() const { return testMode_; }
    const PacketTestResult& currentResult() const { return currentResult_; }
    PacketTestMode option() const { return option_; }
    std::int32_t delay() const { return packetDelayQuarters_; }
    double numberBox() const { return numberBox_; }
    std::int16_t hostPacketOpcode() const { return hostPacketOpcode_; }
    std::int16_t remoteReplyOpcode() const { return remoteReplyOpcode_; }
    // A stored sweep step, or nothing outside the table.
    const PacketTestResult* StoredResult(std::int32_t delay, int bytesIndex) const;
    void Abandon();
    // Random data comes from this generator (tests seed it).
    std::mt19937& random() { return random_; }

    // ---- engine operations
    void SendHostPacket();
    void SendRemotePacket();

    // CommForm
    void RxDecodedData(std::uint16_t rxOpCode, std::int16_t rxLength,
                       std::span<const std::uint8_t> rxData) override;
    void RxCtsChange(bool ctsFlag) override;
    void TxCtsTimeout() override;

private:
    void StartTest();
    void StopTest(bool paused);
    void CheckHostReply(std::span<const std::uint8_t> rxData, std::int16_t rxLength);
    void HandleRemotePacket(std::span<const std::uint8_t> rxData, std::int16_t rxLength);
    void SendRemoteReply();
    void ShowPercentages();
    void ShowCounters();
    void StoreStep();
    void StepAdvance();
    void ShowStoredResult();
    void FillBytesPerPacketList();
    void StopTimers();
    bool EndIfStopping();
    bool EndIfPortLost();
    void RegisterPorts(bool secondaryToo);
    bool HostSends() const;  // a mode in which the host port sends the packets
    bool MayStart() const;
    void TxTick();
    void ResponseTick();
    void RemoteTick();
    int SelectedBytes() const;
    bool ActiveChild() const;
    std::int32_t Handshake(const classComm& port) const;

    DialogueLinks links_;
    PacketTestSettings settings_;
    classComm& primary_;
    classComm& secondary_;
    Scheduler& scheduler_;
    const ModeFlags& flags_;
    PacketTestView* view_ = nullptr;

    std::unique_ptr<Timer> timerTestTx_, timerTestRx_, timerResponse_, timerLED_;

    PacketTestMode option_ = PacketTestMode::Host;
    bool single_ = true;
    SweepEdit sweepEdit_ = SweepEdit::start;
    bool asciiMode_ = false;
    bool turnAround_ = false;
    double numberBox_ = 0;
    std::vector<int> bytesList_{4, 8, 16, 32, 64, 128, 256};
    int bytesSelected_ = 0;
    bool listReady_ = false;
    bool listSingleShown_ = false;
    int listMaxShown_ = 0;
    std::int32_t ratio_ = 1;

    PacketTestMode testMode_ = PacketTestMode::Idle;
    PacketTestResult currentResult_;
    std::int32_t primaryHandshake_ = 0, secondaryHandshake_ = 0;
    std::int16_t hostPacketOpcode_ = 201, remoteReplyOpcode_ = 200;
    std::int32_t packetDelayQuarters_ = 0;
    int packetBytes_ = 4;
    PacketPacing pacing_;
    std::int32_t txTicksLeft_ = 0, responseTicksLeft_ = 0, remoteDelayTicksLeft_ = 0;
    bool replyReceived_ = false;
    float sendTime_ = 0;
    std::vector<std::int16_t> hostTxData_, remoteTxData_;
    std::int16_t hostTxLength_ = 0;
    std::int16_t remoteReplyLength_ = 0;

    // The sweep.
    std::map<std::pair<std::int32_t, int>, PacketTestResult> results_;
    bool resultsValid_ = false;
    std::int32_t currentDelay_ = 0;
    int currentBytesIndex_ = 0;
    std::int32_t sweepDelayFirst_ = 0, sweepDelayLast_ = 0;
    int sweepBytesFirst_ = 0, sweepBytesLast_ = 0;
    double sweepPackets_ = 0;

    double lastPrimaryRxBytes_ = 0, lastSecondaryRxBytes_ = 0;
    bool hostLed_ = false, remoteLed_ = false;
    std::mt19937 random_;
    // The program's port objects may go before the window: once their slot is empty the
    // timers do nothing and the engine goes without touching them.
    bool Present() const { return links_.port() != nullptr; }
};

}  // namespace k45
