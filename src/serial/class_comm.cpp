// Port object: construction, settings layers and their persistence, open and close,
// overrides and the DMP baud search.
#include "serial/class_comm.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <utility>

#include "base/ini_routines.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "platform/serial_device.h"
#include "serial/class_comm_internal.h"
#include "serial/class_comm_zmodem.h"
#include "serial/tx_modes.h"

namespace k45 {

classComm::classComm(const ModeFlags& modes, const LocaleInfo& locale, Scheduler& scheduler, Dialogs& dialogs,
                     RxMessageTables& tables)
    : modes_(modes),
      locale_(locale),
      scheduler_(scheduler),
      dialogs_(dialogs),
      tables_(tables),
      syncEscDecoder_(tables, kPrimaryFirstSlot),
      rs485Decoder_(tables, kPrimaryFirstSlot),
      dmpDecoder_(tables, kPrimaryFirstSlot),
      sRecordDecoder_(tables, kPrimaryFirstSlot) {
    quietTimer_ = scheduler_.createTimer();
    quietTimer_->setHandler([this] { QuietCheck(); });
    ResetClass();
}

classComm::~classComm() {
    ResetClass();
    if (commCtrl_) commCtrl_->setEventHandler({});
    if (timerCtrl_) {
        timerCtrl_->setEnabled(false);
        timerCtrl_->setHandler({});
    }
}

void classComm::ResetClass() {
    ClearTxQueue();
    for (auto& l : lists_) l.clear();
    ClearCommStats();
    if (comPortOpen_ && commCtrl_ && commCtrl_->isOpen()) commCtrl_->close();
    comPortOpen_ = false;
    forcedOpen_ = false;
    forcedTxMode_ = 1;
    forced_ = kProgrammingPortSettings;
}

void classComm::InitCommCtrl(SerialDevice* newCommCtrl, std::int16_t tmpID, std::int16_t tmpPortNumber,
                             Timer* newTimerCtrl) {
    if (timerCtrl_ && timerCtrl_ != newTimerCtrl) {
        timerCtrl_->setEnabled(false);
        timerCtrl_->setHandler({});
    }
    timerCtrl_ = newTimerCtrl;
    if (timerCtrl_) {
        timerCtrl_->setHandler([this] { timerCtrl_Timer(); });
        timerCtrl_->setInterval(50);
        timerCtrl_->setEnabled(true);
    }
    if (comPortOpen_) CloseCommPort();
    if (commCtrl_ && commCtrl_ != newCommCtrl) commCtrl_->setEventHandler({});
    commCtrl_ = newCommCtrl;
    if (commCtrl_) {
        commCtrl_->setBufferSizes(kCommBufferSize, kCommBufferSize);
        commCtrl_->setEventHandler([this](int code) { commCtrl_OnComm(code); });
    }
    firstSlot_ = static_cast<std::int16_t>(tmpID == 0 ? kPrimaryFirstSlot : kSecondaryFirstSlot);
    syncEscDecoder_.setFirstSlot(firstSlot_);
    rs485Decoder_.setFirstSlot(firstSlot_);
    dmpDecoder_.setFirstSlot(firstSlot_);
    sRecordDecoder_.setFirstSlot(firstSlot_);
    settings_ = CommSettings{};
    settings_.portNumber = tmpPortNumber;
    ClearCommStats();
}

// ---------------------------------------------------------------------------------------
// Settings file

namespace {
// Reads a key into a copy of the field; the field takes it only when it passes the check.
template <class T, class Check>
void ReadChecked(const LocaleInfo& locale, const std::string& file, const std::string& section, const char* key,
                 T& field, Check ok) {
    T v = field;
    if (ReadIniInto(locale, file, section, key, v) && ok(v)) field = v;
}
auto Always = [](const auto&) { return true; };
}  // namespace

void classComm::RestoreClassParameters(const std::string& fileName, const std::string& sectionName) {
    const LocaleInfo& loc = locale_;
    auto rd = [&](const char* key, auto& field, auto ok) { ReadChecked(loc, fileName, sectionName, key, field, ok); };
    auto positive = [](auto v) { return v > 0; };

    rd("Comm Port", settings_.portNumber, [](std::int16_t v) { return v >= 1 && v <= kMaxPortNumber; });
    rd("Baud Rate", settings_.portSettings.baudRate, positive);
    rd("Data Bits", settings_.portSettings.dataBits,
       [](std::int16_t v) { return v >= kMinDataBits && v <= kMaxDataBits; });
    rd("Stop Bits", settings_.portSettings.stopBits, [](std::int16_t v) { return v == 1 || v == 2; });
    std::string parity;
    if (ReadIniInto(loc, fileName, sectionName, "Parity", parity) && !parity.empty()) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(parity[0])));
        if (c == 'n' || c == 'o' || c == 'e') settings_.portSettings.parity = c;
    }
    rd("DTR Enabled", settings_.dtrEnabled, Always);
    rd("Mode Value", settings_.txModeValue, [](std::int32_t v) { return TxModeValid(v); });
    if (!modes_.engineerMode) return;
    rd("Ignore DCD", settings_.ignoreDCD, Always);
    rd("DCD Timeout", settings_.dcdTimeoutTime, positive);
    rd("Sync Char", settings_.syncChar, Always);
    rd("Esc Char", settings_.escChar, Always);
    rd("CTS Timeout", settings_.ctsTimeoutTime, positive);
    if (ReadIniInto(loc, fileName, sectionName, "IP Response Interval", settings_.ipResponseInterval) &&
        settings_.ipResponseInterval < 1000)
        settings_.ipResponseInterval = 1000;
    rd("DMP Baud Rate", settings_.dmpBaudRate, positive);
}

void classComm::SaveClassParameters(const std::string& fileName, const std::string& sectionName) {
    const LocaleInfo& loc = locale_;
    // Saved inside the shutdown batch of the settings file: its commit reports the file.
    auto wr = [&](const char* key, const IniValue& value) {
        (void)WriteIniValue(loc, fileName, sectionName, key, value);
    };
    wr("Comm Port", settings_.portNumber);
    wr("Baud Rate", settings_.portSettings.baudRate);
    wr("Data Bits", settings_.portSettings.dataBits);
    wr("Stop Bits", settings_.portSettings.stopBits);
    wr("Parity", std::string(1, settings_.portSettings.parity));
    wr("DTR Enabled", settings_.dtrEnabled);
    wr("Mode Value", settings_.txModeValue);
    if (!modes_.engineerMode) return;
    wr("Ignore DCD", settings_.ignoreDCD);
    wr("DCD Timeout", settings_.dcdTimeoutTime);
    wr("Sync Char", settings_.syncChar);
    wr("Esc Char", settings_.escChar);
    wr("CTS Timeout", settings_.ctsTimeoutTime);
    wr("IP Response Interval", settings_.ipResponseInterval);
    wr("DMP Baud Rate", settings_.dmpBaudRate);
}

// ---------------------------------------------------------------------------------------
// Open and close

void classComm::ReportError(const std::string& fixedText, const std::string& detail) {
    ShowPortError(fixedText + std::to_string(settings_.portNumber) + "\r\n" + detail);
}

void classComm::ShowPortError(const std::string& text) {
    dialogs_.messageBox(text, "Com Port Error", MsgButtons::OK, MsgIcon::Exclamation);
}

void classComm::ReadLinesBack() {
    rtsState_ = commCtrl_->rts();
    dtrState_ = commCtrl_->dtr();
}

void classComm::IdleLines() {
    // Line controls a device cannot drive (a pseudo-terminal) are its limits, not a failure of
    // the open or close: the levels read back are what the port reports.
    (void)commCtrl_->setRts(false, nullptr);
    (void)commCtrl_->setDtr(false, nullptr);
    (void)commCtrl_->setHandshaking(0, nullptr);
    ReadLinesBack();
}

bool classComm::OpenCommPort(bool doIpPreparation) {
    (void)doIpPreparation;
    if (!commCtrl_) return comPortOpen_;
    std::string error;
    bool failed = false;
    auto step = [&](bool ok, const std::string& err) {
        if (!ok && !failed) {
            failed = true;
            error = err;
        }
    };
    std::string e;
    step(commCtrl_->setSettings(kProgrammingPortSettings, &e), e);
    if (!comPortOpen_ && !failed) {
        commCtrl_->setPortNumber(settings_.portNumber);
        deviceTriedFor_ = settings_.portNumber;
        e.clear();
        step(commCtrl_->open(&e), e);
    }
    ClearCommStats();
    working_ = forcedOpen_ ? forced_ : settings_.portSettings;
    workingTxMode_ = forcedOpen_ ? forcedTxMode_ : settings_.txModeValue;
    // A device that is open but refuses part of the settings (a parity it cannot do) is open
    // all the same, with the rest in force: what it cannot do is said once below, and the
    // windows that open the port later do not fail on it again.
    std::optional<std::string> refused;
    if (!failed) {
        e.clear();
        if (!commCtrl_->setSettings(working_, &e)) {
            if (commCtrl_->isOpen()) {
                refused = e;
                working_ = commCtrl_->settings();
            } else {
                step(false, e);
            }
        }
    }
    if (!failed) IdleLines();
    bytesPerSecond_ = GetBytesPerSecond();
    if (failed) {
        // A device that was lost and said so is still gone: the retries of the windows that
        // used it add nothing to that one message.
        if (!LossToldForDevice()) ReportError("Could Not Open Com Port ", error);
        if (commCtrl_->isOpen()) commCtrl_->close();
        comPortOpen_ = false;
        return false;
    }
    const bool reopened = !comPortOpen_;
    comPortOpen_ = true;
    // A lost device that opens again is not back until it proves usable: it may fail at once.
    if (reopened && LossToldForDevice()) lossReopenedMs_ = NowMs();
    modemLine_.Reset();
    modemLine_.DeviceOpened(DeviceIdentity());
    refusalsShown_.clear();
    if (refused) ReportRefusals("Could Not Set Baud Rate For Com Port ", {*refused});
    if (!comPortOpen_) return false;  // lost while the box was up: the loss has been dealt with
    keyedSendActive_ = false;
    // As with the idle levels above, the mode's lines are what the device can drive.
    (void)ApplyTxMode(forcedOpen_ ? forcedTxMode_ : workingTxMode_, nullptr);
    ctsState_ = commCtrl_->cts();
    dcdState_ = commCtrl_->cd();
    dsrState_ = commCtrl_->dsr();
    txChunkSize_ = GetTxChunkSize();
    return comPortOpen_;
}

void classComm::CloseCommPort() {
    if (!comPortOpen_ || !commCtrl_) return;
    // Held text was meant for this session; a later open must not send it to whatever modem
    // is on the line by then.
    DropHeldOutput();
    // What the device has queued (a last "T0") leaves while the lines still stand as the
    // mode wants them; the idle levels come after.
    commCtrl_->drainOutput();
    IdleLines();
    keyedSendActive_ = false;
    modemLine_.Reset();
    if (commCtrl_->isOpen()) commCtrl_->close();
    comPortOpen_ = false;
    lossReopenedMs_ = -1;
}

// The loss told is that of the device the port opens now: the same port number and, once the
// device object has tried that number, the same device file (another may have been chosen for
// the number since).
bool classComm::LossToldForDevice() const {
    if (!lossTold_ || !commCtrl_ || settings_.portNumber != lostPortNumber_) return false;
    return deviceTriedFor_ != settings_.portNumber || commCtrl_->deviceName() == lostDevice_;
}

void classComm::ExchangeDeviceLosses(classComm& other) {
    std::swap(lossTold_, other.lossTold_);
    std::swap(lostPortNumber_, other.lostPortNumber_);
    std::swap(lostDevice_, other.lostDevice_);
    lossReopenedMs_ = other.lossReopenedMs_ = -1;
}

void classComm::DeviceProvedUsable() {
    if (lossReopenedMs_ < 0) return;
    lossReopenedMs_ = -1;
    lossTold_ = false;
}

bool classComm::OpenWanted() const {
    if (forcedOpen_) return true;
    for (int l = 0; l < kDataLists; ++l)
        if (!lists_[static_cast<size_t>(l)].empty()) return true;
    return false;
}

std::int64_t classComm::NowMs() const { return scheduler_.nowMs(); }

std::string classComm::DeviceIdentity() const {
    const std::string name = commCtrl_ ? commCtrl_->deviceName() : std::string();
    return name.empty() ? "Com" + std::to_string(settings_.portNumber) : name;
}

std::string classComm::GetOpenDevice() const {
    return comPortOpen_ && commCtrl_ && commCtrl_->isOpen() ? commCtrl_->deviceName() : std::string();
}

void classComm::ResetPort() {
    if (!comPortOpen_) return;
    CloseCommPort();
    (void)OpenCommPort(true);  // a failed reopen has shown its message and left the port closed
}

bool classComm::ApplyTxMode(std::int32_t mode, std::vector<std::string>* refusals) {
    const TxModeEntry& m = TxModeTable(mode);
    auto level = [](ModeLevel l, bool setting) {
        return l == ModeLevel::High || (l == ModeLevel::Setting && setting);
    };
    bool ok = true;
    std::string e;
    auto step = [&](bool r) {
        if (r) return;
        ok = false;
        if (refusals && std::find(refusals->begin(), refusals->end(), e) == refusals->end()) refusals->push_back(e);
        e.clear();
    };
    step(commCtrl_->setRts(m.rtsHigh, &e));
    step(commCtrl_->setDtr(level(m.dtr, settings_.dtrEnabled), &e));
    step(commCtrl_->setHandshaking(m.handshaking, &e));
    ReadLinesBack();
    workingIgnoreDcd_ = level(m.ignoreDcd, settings_.ignoreDCD);
    return ok;
}

void classComm::ReportRefusals(const char* fixedText, const std::vector<std::string>& refusals) {
    std::string detail;
    for (const std::string& given : refusals) {
        const std::string r = given.empty() ? std::string("The device refused the setting.") : given;
        if (std::find(refusalsShown_.begin(), refusalsShown_.end(), r) != refusalsShown_.end()) continue;
        refusalsShown_.push_back(r);
        detail += (detail.empty() ? "" : "\r\n") + r;
    }
    if (!detail.empty()) ReportError(fixedText, detail);
}

bool classComm::ApplyWorkingSettings(const PortSettings& settings, bool extended, const char* failText) {
    if (!comPortOpen_) return false;
    // The parity letter compares as it is: "N" differs from "n".
    if (settings == working_) {
        extendedLengthMode_ = extended;
        return true;
    }
    std::string error;
    bool ok = commCtrl_->setSettings(settings, &error);
    // The working layer holds what the device has in force: all of it, or the parts it took
    // (a new baud rate without the parity it cannot do), which pace the output from now on.
    // A refused part is tried again by the next override, and said nothing more about until
    // the device is opened again.
    working_ = ok ? settings : commCtrl_->settings();
    bytesPerSecond_ = GetBytesPerSecond();
    txChunkSize_ = GetTxChunkSize();
    if (!ok) ReportRefusals(failText, {error});
    extendedLengthMode_ = extended;
    return ok;
}

bool classComm::OverrideSettings(const PortSettings& newSettings, bool tmpExtendedLengthMode) {
    return ApplyWorkingSettings(newSettings, tmpExtendedLengthMode, "Could Not Set Baud Rate For Com Port ");
}

bool classComm::RestoreSettings(bool tmpExtendedLengthMode) {
    return ApplyWorkingSettings(settings_.portSettings, tmpExtendedLengthMode,
                                "Could Not Restore Baud Rate For Com Port ");
}

bool classComm::ApplyWorkingMode(std::int32_t mode, const char* failText) {
    if (!comPortOpen_ || mode == workingTxMode_) return comPortOpen_;
    // What the device takes of the mode is in force and the mode with it, so later activations
    // do not try again what it cannot do (a pseudo-terminal has no control lines).
    std::vector<std::string> refusals;
    const bool ok = ApplyTxMode(mode, &refusals);
    workingTxMode_ = mode;
    if (!ok) ReportRefusals(failText, refusals);
    return ok;
}

bool classComm::OverrideHandshaking(std::int32_t newTxMode, bool tmpSimulatedDmpProtocol,
                                    std::int16_t tmpSimulatedDmpFunction) {
    bool ok = ApplyWorkingMode(newTxMode, "Could Not Override Handshaking For Com Port ");
    simulatedDmpProtocol_ = tmpSimulatedDmpProtocol;
    simulatedDmpFunction_ = tmpSimulatedDmpFunction;
    return ok;
}

bool classComm::RestoreHandshaking() {
    return ApplyWorkingMode(settings_.txModeValue, "Could Not Restore Handshaking For Com Port ");
}

// ---------------------------------------------------------------------------------------
// DMP baud search

void classComm::InitDmpBaudList() {
    dmpBaudIndex_ = 0;
    dmpBaudList_[0] = settings_.dmpBaudRate;
    size_t n = 1;
    for (std::int32_t r : {9600, 19200, 38400})
        if (r != settings_.dmpBaudRate && n < dmpBaudList_.size()) dmpBaudList_[n++] = r;
}

std::int32_t classComm::FindNextDmpBaud() {
    dmpBaudIndex_ = static_cast<std::int16_t>(dmpBaudIndex_ >= 2 ? 0 : dmpBaudIndex_ + 1);
    SetDmpBaudRate(dmpBaudList_[static_cast<size_t>(dmpBaudIndex_)]);
    return dmpBaudIndex_ == 0 ? 0 : settings_.dmpBaudRate;
}

void classComm::SetDmpBaudRate(std::int32_t tmpBaudRate) {
    settings_.dmpBaudRate = tmpBaudRate;
    // A refused rate has shown its message; the search goes on with the next one.
    (void)OverrideSettings({.baudRate = settings_.dmpBaudRate});
    if (forcedOpen_ && forcedTxMode_ == kDmpTxMode) {
        PortSettings forced = forced_;
        forced.baudRate = settings_.dmpBaudRate;
        ForceCommPortOpen(kDmpTxMode, forced);
    }
}

}  // namespace k45
