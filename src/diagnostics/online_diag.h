#pragma once
// The Online Diagnostics dialogue: reads the local modem's parameters, listens on the primary
// port at the modem's raw-output rate, frames and decodes the packets, keeps the history and
// fills the grid through the ID filter; and the save of the grid.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/online_stream.h"
#include "wiring/dialogue_links.h"
#include "wiring/window_interfaces.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"

namespace k45 {

struct FilePlaces;
struct ModeFlags;
struct ModemParameters;
struct Services;
class classComm;
class Timer;

class OnlineDiagView {
public:
    virtual ~OnlineDiagView() = default;
    virtual bool IsActiveChild() const = 0;
    virtual void ShowTestCount(const std::string& text) = 0;
    virtual void ShowFilterEntries(const std::vector<std::string>& entries, int selected) = 0;
    // The grid's rows or its top row changed.
    virtual void GridChanged() = 0;
    virtual void SetProgress(int percent) = 0;
};

// The filter and display options a load starts with (the window keeps those of the last unload).
struct OnlineLoadOptions {
    bool idList = false;
    bool idSelected = false;
    bool slotted = false;
};

// The rate of the raw output by the modem's family and data-rate index.
std::int32_t RawOutputBaud(std::int16_t model, std::int16_t baudRate);

// Where a load stands with the modem's current parameters, named by what it waits for; packets
// are taken only while Listening.
enum class OnlineParmsState : std::int32_t {
    Listening = 0,        // compared (or given up): the raw output is shown
    AwaitParameters = 1,  // the current-parameter read is under way
    AwaitActivation = 2,  // read: compared when the window is next active
};

class OnlineDiagDialogue : public CommForm, public ParmsClient {
public:
    static constexpr int kSilenceMs = 300;
    static constexpr int kRawTxMode = 1;

    // The primary port is read from the services' slot at each use (start-up fills it after the
    // window exists); the current parameters are the ones the parameter reader fills.
    OnlineDiagDialogue(DialogueLinks links, const DiagSettings& settings, OnlineDiagView& view);
    ~OnlineDiagDialogue() override;
    OnlineDiagDialogue(const OnlineDiagDialogue&) = delete;
    OnlineDiagDialogue& operator=(const OnlineDiagDialogue&) = delete;

    // Load with the filter and display options of loadOptions().
    void Load();
    const OnlineLoadOptions& loadOptions() const { return loadOptions_; }
    void SetLoadOptions(const OnlineLoadOptions& options) { loadOptions_ = options; }
    void Activate();
    void Unload();
    bool loaded() const { return load_.loaded(); }

    void UpdateParms(bool parmsWereFound) override;
    void RxRawData(const std::string& rxStr) override;

    // Controls.
    void SetPause(bool paused);
    void SetFilterMode(IdFilterMode mode);
    void SetSlotted(bool slotted);
    void SelectFilterEntry(int index);
    void Clear();
    void RedisplayHistory();
    // The grid shows this many whole rows now (its window was shown or resized).
    void SetGridVisibleRows(int rows);
    // The operator scrolled the grid to this top row.
    void GridScrolled(int topRow) { grid_.SetTopRow(topRow); }
    // Writes the grid; Create / Overwrite / Append as the operator chose.
    [[nodiscard]] bool Save(const std::string& path, SaveMode mode, std::string* error);
    // The Save button: file dialog (the chosen name replaces saveFileName), the empty-grid
    // message, the question for an existing file, the write; a failed write is shown.
    void SaveClicked(std::string& saveFileName);

    const OnlineGrid& grid() const { return grid_; }
    const OnlineHistory& history() const { return history_; }
    OnlineParmsState parmsState() const { return parmsState_; }
    std::int32_t rawBaudRate() const { return rawBaudRate_; }
    const std::string& testCount() const { return testCount_; }
    std::string comboText() const;

private:
    void RequestCurrentParms();
    void OnPacket(const std::uint8_t* packet);
    void FillFilterIdCombo();
    void ShowRecord(const OnlineDiagRecord& r);

    const ModeFlags& modes_;
    const FilePlaces& files_;
    const ModemParameters& current_;
    const Services& services_;
    const DialogueLinks links_;  // for the main window's services
    classComm* const& port_;  // the services' primary slot
    classComm& primary_() const { return *port_; }
    const DiagSettings& settings_;
    OnlineDiagView& view_;
    std::unique_ptr<Timer> timerResponse_;
    OnlineLoadOptions loadOptions_;
    OnlineFramer framer_;
    OnlineHistory history_;
    OnlineGrid grid_;
    LoadToken load_;
    bool paused_ = false;
    OnlineParmsState parmsState_ = OnlineParmsState::Listening;
    bool parmsRequested_ = false;
    std::int32_t rawBaudRate_ = 9600;
    std::int16_t lastPortNumber_ = 0;
    IdFilterMode filterMode_ = IdFilterMode::Off;
    std::vector<std::string> filterEntries_;
    int filterSelected_ = -1;
    std::string testCount_ = "0";
    std::int64_t rejected_ = 0;
    bool gridDirty_ = false;
};

}  // namespace k45
