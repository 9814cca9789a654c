#pragma once
// The diagnostics simulator: the PC plays a K45 modem on one of its ports. Offline it answers
// the diagnostics commands ("AS", "NS", "RSSI", "CSWITCH", "PSUDO", ...) with reply records and
// test-pattern lines; online it streams 9-byte raw diagnostic packets. The window supplies the
// operator's settings and shows the count; the state lives for the whole run.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/records.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"
#include "wiring/dialogue_links.h"

namespace k45 {

class classComm;
class Dialogs;
struct ModeFlags;
struct Services;
struct SharedRecords;
class Scheduler;
class Timer;

// One value channel: raw one-byte codes stepping from start to end and back.
struct SimChannel {
    std::int16_t start = 0;
    std::int16_t end = 0;
    std::int16_t current = 0;
    void Step();
};

enum SimChannelIndex { simRssi = 0, simTemp, simBatt, simFwdPwr, simRevPwr };

// Which test runs: none, the online packet stream, or the offline responder.
enum class SimTestState { Idle, Online, Offline };

struct SimState {
    SimTestState testState = SimTestState::Idle;
    double packetsSent = 0;
    std::int32_t packetsToSend = 0;
    std::uint32_t masterId = 0;
    std::uint32_t startId = 0;
    std::uint32_t endId = 0;
    std::uint32_t currentId = 0;
    std::array<SimChannel, 5> channels{};
    std::int16_t patternLinesLeft = 0;
    std::int16_t packetDelay = 0;  // ms between online packets, 0 = paced by the port
    ModemParameters simParameters;

    void StepId();
    void StepChannels();
};

// What the operator set in the window, taken at Start.
struct SimSettings {
    bool online = true;
    std::int16_t packetDelay = 0;
    std::int32_t packetsToSend = 0;
    std::uint32_t masterId = 0;
    std::uint32_t startId = 0;
    std::uint32_t endId = 0;
    std::array<std::int16_t, 5> starts{};
    std::array<std::int16_t, 5> ends{};
};

class DiagSimulatorView {
public:
    virtual ~DiagSimulatorView() = default;
    virtual bool IsActiveChild() const = 0;
    virtual bool PauseTicked() const = 0;
    virtual void ShowPacketsSent(double count) = 0;
    // The test ended (Stop, a limit): the window unlocks its settings.
    virtual void TestStopped() = 0;
};

inline constexpr int kOnlinePacketSize = 9;
inline constexpr double kSimCountLimit = 4294967295.0;
inline constexpr int kSimWaitMs = 250;

// The reply lines, each with its CR LF.
std::string SimAckLine();      // "R80200FD"
std::string SimEndLine();      // "R9030000FC"
std::string SimDataRecordLine(std::int32_t address, const std::vector<std::int16_t>& bytes);
// A type 8 record at address 0 carrying one value: "R803" "00" value checksum.
std::string SimValueRecordLine(std::int16_t value);
std::string SimVersionLine();
std::string SimPatternHeaderLine();  // the 70-character header, CR LF twice
std::string SimPatternLine(std::int16_t number);
// The online packet of a unit and its five values; the last byte makes the sum 0 mod 256.
std::array<std::int16_t, kOnlinePacketSize> BuildOnlinePacket(std::uint32_t longId, std::int16_t rssi, std::int16_t temp,
                                                             std::int16_t batt, std::int16_t fwd, std::int16_t rev);

class DiagSimulator : public CommForm {
public:
    // The mode flags and tables the parameter dump is encoded with, the services its messages
    // go through; the scheduler is taken apart as the simulator may be built before the services
    // are filled.
    DiagSimulator(DialogueLinks links, Scheduler& scheduler, DiagSimulatorView& view);
    ~DiagSimulator() override;
    DiagSimulator(const DiagSimulator&) = delete;
    DiagSimulator& operator=(const DiagSimulator&) = delete;

    SimState& state() { return state_; }
    const SimState& state() const { return state_; }

    // Registers for transmit-complete and lines on the chosen one of the program's ports, off
    // the other one.
    void SelectPort(bool useSecondary);
    // Off the lists of the program's present ports (a port replaced since is gone with its lists).
    void DeRegisterAll();
    classComm* port() const { return port_; }

    // The window loads: no test runs, no packet counted yet.
    void Load();
    // The window's activation: the port's own settings, a fresh copy of the main parameters.
    void Activate();
    // The window unloads: the test ends without a word to the window, the ports let go.
    void Unload();
    void Start(const SimSettings& settings);
    void Stop();
    void Clear();
    void ResetSimulation();

    void RxCrLfData(const std::string& rxStr) override;
    void TxComplete() override;

    void SendOnlinePacket();
    bool waitTimerOn() const;

private:
    void Send(const std::string& text);
    bool ReplyAllowed(bool alsoOnline);
    bool CountReply();
    void SendEndReplies();
    void AnswerDiagnostics();
    void AnswerNetworkStats();
    void AnswerVersion();
    void AnswerParameterDump();
    void AnswerRssi();
    void AnswerChannelSwitch();
    void StartTestPattern(std::int16_t count);
    void ShowCount();

    // The parts the parameter dump reads; each passes as its own part.
    struct Parts {
        const ModeFlags& modes;
        const SharedRecords& records;
        const Services& services;
        Dialogs* const& dialogs;  // the services' dialogs slot
        operator const ModeFlags&() const { return modes; }
        operator const SharedRecords&() const { return records; }
        operator const Services&() const { return services; }
    };
    Parts app_;
    const PortSlots& ports_;
    DiagSimulatorView& view_;
    SimState state_;
    classComm* port_ = nullptr;
    std::unique_ptr<Timer> timerTestTx_;
    std::unique_ptr<Timer> timerActive_;
    LoadToken load_;
};

}  // namespace k45
