#pragma once
// The Offline Diagnostics dialogue: questions the local unit and remote units ("REM" and the
// unit ID) for diagnostics ("AS") and network statistics ("NS"), clears them, reads the channel
// switch and the RSSI, sends a test tone and redirects channel 8. One exchange at a time; a
// press made while busy waits for the end of the open exchange. Results go into the station
// table and the displays, and to the save file.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics/diag_settings.h"
#include "wiring/dialogue_links.h"
#include "wiring/window_interfaces.h"
#include "params/diag_parsers.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"

namespace k45 {

struct FilePlaces;
struct ModemParameters;
struct Services;
class classComm;
class Timer;

inline constexpr int kMaxStatsEntries = 33;
inline constexpr int kOfflineRxWords = 1025;
inline constexpr int kStationProgressWords = 186;

// What the reply machine waits for.
enum class OfflineReplyState : std::int32_t {
    Idle = 0,
    AwaitingParameters = 1,
    SwitchQueryDue = 2,         // parameters received, "CSWITCH" not yet sent
    AwaitingDiagnostics = 3,    // data records of an "AS" reply
    AwaitingClearDiagsAck = 4,  // "AR"
    AwaitingStatistics = 5,     // data records of an "NS" reply
    AwaitingClearStatsAck = 6,  // "NR"
    AwaitingSwitch = 7,
    AwaitingRssi = 8,
    AwaitingDiagnosticsEnd = 9,  // end record after the diagnostics data
    AwaitingReplyAck = 10,       // final acknowledgement of an "AS" or "NS" reply
    AwaitingToneAck = 11,
    AwaitingChannelAck = 12,
    AwaitingEndTestAck = 13,  // "T0"
};

// The running sequence of Get Diags / Stats.
enum class OfflineSequence : std::int32_t {
    None = 0,
    Diagnostics = 1,      // of the one unit asked for, or of the local unit at the start of a list scan
    ListDiagnostics = 2,  // of a station of the remote ID list
    Statistics = 3,
};

struct StationEntry {
    bool diagValid = false;
    bool statsValid = false;
    std::uint32_t stationId = 0;
    std::int16_t masterRssi = 0;
    DiagnosticsRecord diagnostics;
    std::array<RemoteStatsEntry, kMaxStatsEntries> stats{};
    std::int16_t statsCount = 0;  // entries of this station's latest statistics reply
};

// What the window shows; the window redraws from it when told.
struct OfflineDisplay {
    std::string localId = "0";
    bool optionLocal = true;
    bool optionRemoteList = false;  // else "Selected Remote ID"
    std::vector<std::string> remoteIds;
    int remoteSelected = -1;
    std::string remoteText;
    int diagSelect = 2;  // Current, Low, High
    std::string battery, analogVcc, temperature, rssiLevel, fwdPwr, revPwr, preambleGood, preambleTotal, preambleDcd;
    std::vector<std::pair<std::string, int>> statsList;  // text, entry index
    int statsSelected = -1;
    std::string idTruncated, statsRssi, statsTemp, statsBatt, statsFwdPwr, statsRevPwr;
    int channelIndex = 7;  // entries "1".."8"
    std::string channelWarning;
    std::string switchSetting;
    int txTime = 1;
    std::string currentLevel = "---- dBm";
    int levelPercent = 0;
    int progress = 0;
};

// The window's own settings, kept in its settings section.
struct OfflineDiagSettings {
    std::int16_t txToneTime = 5;   // seconds
    std::string offlineDiagsFile;  // the save file last chosen
};

class OfflineDiagView {
public:
    virtual ~OfflineDiagView() = default;
    virtual bool IsActiveChild() const = 0;
    virtual void DisplayChanged() = 0;
    // The window closes itself (end test answered or given up).
    virtual void CloseWindow() = 0;
    // One more resend in the main window's status bar.
    virtual void CountResend() = 0;
};

class OfflineDiagDialogue : public CommForm, public ParmsClient {
public:
    static constexpr int kResponseMs = 1000;
    static constexpr int kPollMs = 750;
    static constexpr int kToneMsPerSecond = 1075;

    // The primary port is read from the services' slot at each use (start-up fills it after the
    // window exists); the current parameters are the ones the parameter reader fills.
    OfflineDiagDialogue(DialogueLinks links, const DiagSettings& diagSettings, OfflineDiagView& view);
    ~OfflineDiagDialogue() override;
    OfflineDiagDialogue(const OfflineDiagDialogue&) = delete;
    OfflineDiagDialogue& operator=(const OfflineDiagDialogue&) = delete;

    // Load takes the tone time of the settings (1..60 s, else 1); the unload keeps the one in
    // use, and the Save button the file chosen.
    OfflineDiagSettings settings() const { return settings_; }
    void setSettings(const OfflineDiagSettings& settings) { settings_ = settings; }

    void Load();
    void Activate();
    void Deactivate();
    void Unload();
    bool loaded() const { return load_.loaded(); }

    void UpdateParms(bool parmsWereFound) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    // Operator actions.
    void SetLocal(bool local);
    void SetRemoteList(bool list);
    void SelectRemote(int index);
    void TypeRemote(const std::string& text);
    void SelectDiagSet(int index);
    void SelectStatsEntry(int index);
    void SelectChannel(int index);
    void SetTxTime(int seconds);
    void GetDiagsStats();
    void Stop();
    void ClearDiags();
    void ClearStats();
    void TxTone();
    void ChangeChannel();
    void EndTest();
    // The Save button; the chosen name replaces the settings' offlineDiagsFile.
    void SaveClicked();

    const OfflineDisplay& display() const { return d_; }
    const std::vector<StationEntry>& stations() const { return stations_; }
    OfflineReplyState replyState() const { return replyState_; }
    OfflineSequence sequenceMode() const { return sequenceMode_; }
    bool localToneOn() const { return localToneOn_; }
    std::int16_t resendCount() const { return exchange_.resends(); }

    // One station line of the save file.
    std::string FormatStationLine(int k) const;
    static std::string SaveHeader();

private:
    // Timers.
    void TimerResponseTick();
    void TimerDiagnosticsTick();
    void TimerTxDisplayTick();
    void RestartResponse();
    void StopResponse();

    // Sequence steps.
    bool Busy(bool& pending);
    void StartDiagnostics();
    void RequestNetworkStats(bool forced);
    void NextListStation(bool resend);
    void EndCommand();
    // The start of a command to the unit the options name (Clear Diags, Clear Stats, Tx Tone,
    // Change Channel): a press while busy waits in its flag, a remote target needs a real ID.
    // True when the command goes out, to targetLocal_ / targetId_.
    bool BeginUnitCommand(bool& pending);
    // A single command went out: a fresh exchange waits for its answer, no sequence runs.
    void AwaitReply(OfflineReplyState awaited);
    void SendSwitchQuery();
    void SendTo(bool local, std::uint32_t id, const std::string& command);
    void SendByteTo(bool local, std::uint32_t id, const std::string& command, std::int16_t value);

    // Targets.
    std::optional<std::uint32_t> LocalId() const;
    std::optional<std::uint32_t> RemoteTargetId(bool quiet = false);
    int StationOfRemote(std::uint32_t id);
    int remoteCount() const { return static_cast<int>(d_.remoteIds.size()); }

    // Displays.
    void RebuildRemoteIdList();
    void ShowSelectedStation();
    void ShowDiagnostics(const DiagnosticsRecord& r);
    void ClearDiagnosticsDisplay();
    void FillStatsList(int k);
    void ShowRemoteStats(const RemoteStatsEntry& e);
    void ClearStatsDisplay();
    void ClearStatsLabels();
    void SetProgressWords();
    void Changed();
    // Back to the remote the sequence started on, with its stored results on display.
    void RestoreStartSelection();

    const FilePlaces& files_;
    const ModemParameters& current_;
    const Services& services_;
    const DialogueLinks links_;  // for the main window's services
    classComm* const& port_;  // the services' primary slot
    classComm& primary_() const { return *port_; }
    const DiagSettings& diagSettings_;
    OfflineDiagView& view_;
    ModemExchange exchange_;
    std::unique_ptr<Timer> timerDiagnostics_;
    std::unique_ptr<Timer> timerTxDisplay_;

    OfflineDiagSettings settings_;
    OfflineDisplay d_;
    std::vector<StationEntry> stations_;
    std::vector<std::uint32_t> extraIds_;  // typed remote IDs with a station after the listed ones
    LoadToken load_;
    OfflineReplyState replyState_ = OfflineReplyState::Idle;
    OfflineSequence sequenceMode_ = OfflineSequence::None;
    bool scanList_ = false;
    bool parmsRequested_ = false;
    bool localToneOn_ = false;
    bool selectEventsOn_ = true;
    bool pendingGetDiags_ = false, pendingClearDiags_ = false, pendingClearStats_ = false;
    bool pendingChannelChange_ = false, pendingTxTone_ = false, pendingEndTest_ = false;
    std::int16_t confirmedChannel_ = 0;  // a channel the operator confirmed while busy
    bool stopRequested_ = false;
    std::array<std::int16_t, kOfflineRxWords> rxWords_{};
    int wordCount_ = 0;
    int stationIndex_ = 0;
    int savedRemoteIndex_ = -1;
    std::string savedRemoteText_;
    int stationsExpected_ = 1;
    double progressWords_ = 0;
    std::uint32_t lastLocalId_ = 0;
    std::int16_t lastPortNumber_ = 0;
    DiagnosticsRecord diagRecord_;
    // Target of the open single command (Clear Diags / Stats, tone, channel) for its resends.
    bool targetLocal_ = true;
    std::uint32_t targetId_ = 0;
};

}  // namespace k45
