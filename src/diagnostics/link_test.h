#pragma once
// The offline link test: asks a remote unit, through the local modem, for blocks of test-pattern
// lines ("PSUDO"), counts the lines that arrive at the modem's data baud and shows the ratio as
// the link quality. Around every block the primary port switches between the command settings
// (9600 8N1, DTR on) and the data settings (data baud, DTR off).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/diag_settings.h"
#include "wiring/dialogue_links.h"
#include "wiring/window_interfaces.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"

namespace k45 {

struct LocaleInfo;
struct ModemParameters;
struct Services;
class classComm;
class Timer;

inline constexpr const char* kTestPattern = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789";
inline constexpr double kLinkCountLimit = 2147483647.0;

// The local modem's data baud by family and data-rate index.
std::int32_t LinkDataBaud(std::int16_t model, std::int16_t baudRate);

struct LinkTiming {
    std::int32_t baseMs = 0;
    std::int32_t transferMs = 0;
    std::int32_t baseTicks = 0;
    std::int32_t transferTicks = 0;
    std::int32_t responseTicks = 0;
    std::int32_t blockDelayTicks = 0;
    bool fastRestart = false;
};
// The timing of a run: block size (lines per request) and the block delay in half seconds.
LinkTiming ComputeLinkTiming(std::int32_t dataBaud, std::int16_t blockSize, std::int32_t blockDelayValue);

class LinkTestView {
public:
    virtual ~LinkTestView() = default;
    virtual bool IsActiveChild() const = 0;
    virtual void DisplayChanged() = 0;
    // Start or Pause takes the focus.
    virtual void FocusStart() = 0;
    virtual void FocusPause() = 0;
};

struct LinkTestDisplay {
    std::string localId = "0";
    std::vector<std::string> remoteIds;
    int remoteSelected = -1;
    std::string remoteText;
    std::string numOfBlocks = "0";
    int blockSize = 10;   // bar 1..200
    int blockDelay = 0;   // bar 0..240, half seconds
    std::string blocksTxed = "0";
    std::string blocksRxed = "0";
    std::string linkQuality = "100.000 %";
    bool startEnabled = true;
    bool pauseEnabled = false;
    bool settingsEnabled = true;
};

// What a load starts with: the settings kept from the last unload (and the window's settings).
struct LinkTestSettings {
    double numberOfBlocks = 0;
    std::int16_t blockDelay = 4;
    std::int16_t blockSize = 10;
};

// The engine's states, named for what each waits for.
enum class LinkState : std::int32_t {
    Idle = 0,                        // Start begins a test
    AwaitingParameters = 1,          // the local modem's current parameters
    AwaitingActivation = 2,          // parameters read: the next activation makes the window ready
    AwaitingNextRequest = 3,         // between transmissions (the block delay)
    AwaitingRequestAck = 4,          // request sent
    AwaitingPatternLines = 5,        // acknowledged: counting pattern lines at the data baud
    PausedAwaitingRequestAck = 6,    // paused; the open transmission still ends
    PausedAwaitingPatternLines = 7,  // paused; the open transmission still ends
};

class LinkTestEngine : public CommForm, public ParmsClient {
public:
    static constexpr int kTickMs = 500;
    static constexpr int kFastRestartMs = 25;

    // The primary port is read from the services' slot at each use (start-up fills it after the
    // window exists); the current parameters are the ones the parameter reader fills.
    LinkTestEngine(DialogueLinks links, const DiagSettings& settings, LinkTestView& view);
    ~LinkTestEngine() override;
    LinkTestEngine(const LinkTestEngine&) = delete;
    LinkTestEngine& operator=(const LinkTestEngine&) = delete;

    // Loads with loadSettings(); the unload keeps the ones in use for the next load.
    void Load();
    const LinkTestSettings& loadSettings() const { return loadSettings_; }
    void SetLoadSettings(const LinkTestSettings& settings) { loadSettings_ = settings; }
    void Activate();
    void Unload();
    bool loaded() const { return load_.loaded(); }

    void UpdateParms(bool parmsWereFound) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;
    void RxCrLfData(const std::string& rxStr) override;

    // Controls.
    void StartClicked();
    void PauseClicked() { PauseLinkTest(); }
    void ClearClicked();
    void SetBlockSize(int value);
    void SetBlockDelay(int value);
    void SetNumOfBlocks(const std::string& text);
    void SelectRemote(int index);
    void TypeRemote(const std::string& text);

    const LinkTestDisplay& display() const { return d_; }
    // Start is offered only once a data baud is known.
    bool startAvailable() const { return d_.startEnabled && dataBaud_ != 0; }
    LinkState linkState() const { return linkState_; }
    std::int32_t dataBaud() const { return dataBaud_; }
    double blocksTxed() const { return blocksTxed_; }
    double blocksRxed() const { return blocksRxed_; }
    const LinkTiming& timing() const { return timing_; }

private:
    void StartLinkTest();
    void SendNextTransmission();
    void CountReceivedBlock();
    void ShowLinkQuality();
    void PauseLinkTest();
    void StopLinkTest();
    // False when the window closed under a box the port showed.
    bool CommandSettings();
    void RequestCurrentParms();
    void FillRemoteIdList();
    void TimerResponseTick();
    void TimerTestTxTick();
    void Restart(Timer& t, int ms);
    void ShowCounters();

    const ModemParameters& current_;
    const LocaleInfo& locale_;
    const Services& services_;
    const DialogueLinks links_;  // for the main window's services
    classComm* const& port_;  // the services' primary slot
    classComm& primary_() const { return *port_; }
    const DiagSettings& settings_;
    LinkTestView& view_;
    std::unique_ptr<Timer> timerResponse_;
    std::unique_ptr<Timer> timerTestTx_;
    LinkTestSettings loadSettings_;
    LinkTestDisplay d_;
    // A box (the port's own included) runs a loop of its own, under which the window may close.
    LoadToken load_;
    LinkState linkState_ = LinkState::AwaitingParameters;
    double numberOfBlocks_ = 0;
    std::int16_t blockSize_ = 10;
    std::uint32_t remoteUnitId_ = 0;
    std::int32_t dataBaud_ = 0;
    double blocksTxed_ = 0;
    double blocksRxed_ = 0;
    std::int16_t linesInTransmission_ = 0;
    std::int32_t tickCount_ = 0;
    LinkTiming timing_;
    bool blockReceived_ = false;
    bool restartRequested_ = false;
    bool parmsRequested_ = false;
    std::int16_t lastPortNumber_ = 0;
};

}  // namespace k45
