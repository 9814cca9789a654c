#pragma once
// The port object: owns one serial port through a SerialDevice and a 50 ms timer. Settings
// in three layers (configured, forced, working), registration of windows, line signals and
// counters, the receive path with its decoders and the keyed, chunked transmit path.
// Plain C++: time, timers and message boxes come from the Scheduler and Dialogs services.
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "platform/port_settings.h"
#include "serial/comm_form.h"
#include "serial/crlf_codec.h"
#include "serial/dmp_codec.h"
#include "serial/messages.h"
#include "serial/modem_line.h"
#include "serial/srecord_codec.h"
#include "serial/sync_esc_codec.h"

namespace k45 {

struct ModeFlags;
class Dialogs;
struct LocaleInfo;
class Scheduler;
class SerialDevice;
class Timer;
class ZmodemUploader;

// Zmodem upload states returned by GetZmodemStatus.
enum class ZmodemStatus : std::int16_t {
    Idle = 0,
    Running = 1,
    Done = 2,
    Failed = 3,
    Unavailable = 4,  // no "sz" program on this system
};

// The configured layer of a port object's settings, as the settings file keeps them.
struct CommSettings {
    std::int16_t portNumber = 1;
    std::int16_t syncChar = 186;
    std::int16_t escChar = 218;
    bool dtrEnabled = false;
    PortSettings portSettings;  // baud rate, parity letter, data bits, stop bits
    std::int32_t txModeValue = 1;
    bool ignoreDCD = true;
    std::int16_t ipResponseInterval = 1000;
    std::int32_t dmpBaudRate = 9600;
    double dcdTimeoutTime = 1.5;
    double ctsTimeoutTime = 1.0;
};

class classComm {
public:
    // modes tells whether the engineering settings are read and saved; locale is the one the
    // settings file is read and written with; tables are the received-message tables both port
    // objects share. All must outlive the port object.
    classComm(const ModeFlags& modes, const LocaleInfo& locale, Scheduler& scheduler, Dialogs& dialogs,
              RxMessageTables& tables);
    ~classComm();
    classComm(const classComm&) = delete;
    classComm& operator=(const classComm&) = delete;

    // ---- Configured settings: they reach the port at the next open or restore.
    // comPortOpen is read through GetCommPortOpen.
    const CommSettings& settings() const { return settings_; }
    void setSettings(const CommSettings& settings) { settings_ = settings; }

    // ---- Settings, open and close.
    void InitCommCtrl(SerialDevice* newCommCtrl, std::int16_t tmpID, std::int16_t tmpPortNumber, Timer* newTimerCtrl);
    void RestoreClassParameters(const std::string& fileName, const std::string& sectionName);
    void SaveClassParameters(const std::string& fileName, const std::string& sectionName);
    [[nodiscard]] bool OpenCommPort(bool doIpPreparation = true);
    void CloseCommPort();
    bool GetCommPortOpen() const { return comPortOpen_; }
    // The device file the port has open; empty while closed (or for a device without a file).
    std::string GetOpenDevice() const;
    void ResetPort();
    // Both refuse (return false) when the device did not accept the settings; the working
    // layer then keeps what was in force. A refusal is shown once per open of the device.
    [[nodiscard]] bool OverrideSettings(const PortSettings& newSettings, bool tmpExtendedLengthMode = false);
    [[nodiscard]] bool RestoreSettings(bool tmpExtendedLengthMode = false);
    std::int32_t GetWorkingBaudRate() const { return working_.baudRate; }
    // The mode is put in force as far as the device takes it; false when the device refused a
    // part of it (control lines it lacks, a handshaking), which is shown once per open.
    [[nodiscard]] bool OverrideHandshaking(std::int32_t newTxMode, bool tmpSimulatedDmpProtocol = false,
                                           std::int16_t tmpSimulatedDmpFunction = 0);
    [[nodiscard]] bool RestoreHandshaking();
    std::int32_t GetWorkingTxMode() const { return workingTxMode_; }
    std::int32_t FindNextDmpBaud();
    void SetDmpBaudRate(std::int32_t tmpBaudRate);

    // ---- Line signals, statistics, Zmodem.
    bool GetDCD() const { return comPortOpen_ && dcdState_; }
    bool GetCTS() const { return comPortOpen_ && ctsState_; }
    bool GetDSR() const { return comPortOpen_ && dsrState_; }
    bool GetRTS() const { return comPortOpen_ && rtsState_; }
    bool GetDTR() const { return comPortOpen_ && dtrState_; }
    double GetTxBytes() const { return comPortOpen_ ? txBytes_ : 0; }
    double GetRxBytes() const { return comPortOpen_ ? rxBytes_ : 0; }
    double GetFramingErrors() const { return comPortOpen_ ? framingErrors_ : 0; }
    double GetDribbleBytes() const { return comPortOpen_ ? dribbleBytes_ : 0; }
    bool ClearCommStats();
    // counter + amount, held at 4294967295 (the counters never wrap).
    static void SaturatingAdd(double& counter, double amount);
    void SetRtsSignal(bool tmpFlag);
    void ToggleRtsSignal(float tmpDelay = 0.02f);
    void SetDtrSignal(bool tmpFlag);
    void ToggleDtrSignal(float tmpDelay = 0.02f);
    // Uploads a file with the "sz" program over this port; progress in GetZmodemStatus.
    void ZmodemUpload(const std::string& uploadFilename);
    ZmodemStatus GetZmodemStatus() const;
    void SetZmodemStatus(ZmodemStatus statusFlag);

    // ---- Transmit path.
    std::int32_t SendString(const std::string& tmpStr, std::int32_t tmpTxMode);
    std::int32_t SendBuffer(const std::int16_t* buf, std::int32_t length, std::int32_t tmpTxMode);
    void SendCharacter(std::int16_t dataChar, std::int32_t tmpTxMode);
    void SendBreak(std::int16_t action);
    // The framed-message senders: characters written, or -1 when the frame is refused (longer
    // than its length field allows, or an RS485 destination outside 0..65535); nothing is sent
    // then.
    [[nodiscard]] std::int32_t SendOpcodeOnlyMessage(std::int16_t tmpOpCode, std::int32_t tmpTxMode,
                                                     std::int32_t dstAddr = -1);
    [[nodiscard]] std::int32_t SendOpcodeAndByteMessage(std::int16_t tmpOpCode, std::int16_t tmpData,
                                                        std::int32_t tmpTxMode, std::int32_t dstAddr = -1);
    [[nodiscard]] std::int32_t SendOpcodeAndIntegerMessage(std::int16_t tmpOpCode, std::int32_t tmpData,
                                                           std::int32_t tmpTxMode, std::int32_t dstAddr = -1);
    [[nodiscard]] std::int32_t SendOpcodeAndLongMessage(std::int16_t tmpOpCode, double tmpData, std::int32_t tmpTxMode,
                                                        std::int32_t dstAddr = -1);
    [[nodiscard]] std::int32_t SendOpcodeAndDataMessage(std::int16_t tmpOpCode, const std::int16_t* tmpData,
                                                        std::int16_t dataLen, std::int32_t tmpTxMode,
                                                        std::int32_t dstAddr = -1);
    void SetExtendedLengthMode(bool tmpFlag) { extendedLengthMode_ = tmpFlag; }
    double GetBytesPerSecond() const;
    std::int16_t GetTxTimeInTicks(std::int16_t tmpBytesSent) const;
    std::int32_t GetMaxBytes2Tx() const;

    // ---- Frame builders and the characters in force (codecs with this port's settings).
    // The frame of a message (opcode and data; RS485: opcode, four placeholders and data) as
    // bytes, or nothing when the builder refuses it (too long for the length field, bad value).
    [[nodiscard]] std::optional<std::string> MessSyncEsc(std::span<const std::int16_t> message) const;
    [[nodiscard]] std::optional<std::string> MessSyncEscRS485(std::int32_t dstAddr, std::span<const std::int16_t> message) const;
    [[nodiscard]] std::optional<std::string> MessSRecord(std::int32_t tmpAddr, std::span<const std::int16_t> data) const;
    [[nodiscard]] std::optional<std::string> MessDmp(std::string_view srcStr, std::optional<std::uint32_t> srcID = 0,
                                                     int srcFunc = kDmpDefaultFunction,
                                                     int srcPort = 0) const;
    std::int16_t GetCompensatedSyncChar() const;
    std::int16_t GetCompensatedEscChar() const;

    // ---- Registration of windows.
    void ForceCommPortOpen(std::int32_t tmpTxModeVal, const PortSettings& tmpSettings);
    bool AnyCommFormRegistered();
    bool RegisterForDecodedData(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForDecodedDataRS485(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForDmpData(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForRawData(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForTxComplete(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForRxBreak(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForSRecord(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForRxCrLf(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForCtsChange(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForDcdChange(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForDsrChange(CommForm* Frm, bool tmpClosePort1st = false);
    bool RegisterForCtsTimeout(CommForm* Frm, bool tmpClosePort1st = false);
    bool DeRegisterForRawData(CommForm* Frm);
    bool DeRegisterForSRecord(CommForm* Frm);
    bool DeRegisterForRxCrLf(CommForm* Frm);
    void DeRegisterForAll(CommForm* Frm);

    // ---- Event handlers (bound to the device and the timer by InitCommCtrl).
    void commCtrl_OnComm(int eventCode);
    void timerCtrl_Timer();

    // ---- Read-only views for the windows and tests.
    std::int16_t firstSlot() const { return firstSlot_; }
    bool forcedOpen() const { return forcedOpen_; }
    // The port should be open for the windows that use it (forced open, or a window in a data
    // list), whether or not it is open now (a lost device, a failed reopen).
    bool OpenWanted() const;
    // The loss of the device behind the port has been shown and the device has not proved
    // usable since: its further losses, failed opens and the sends while it is gone stay quiet.
    bool LossTold() const { return LossToldForDevice(); }
    // The two port objects exchange their devices (Swap Comm Ports): each takes the other's told
    // loss with the device it belongs to. Both ports closed.
    void ExchangeDeviceLosses(classComm& other);
    // How long a lost device that opened again stays open, with nothing coming in, before it
    // counts as usable again (a pseudo-terminal whose master has gone may open for a moment and
    // fail at the first read).
    static constexpr std::int64_t kLossSettleMs = 2000;
    const PortSettings& GetWorkingSettings() const { return working_; }
    bool GetWorkingIgnoreDcd() const { return workingIgnoreDcd_; }
    bool GetExtendedLengthMode() const { return extendedLengthMode_; }
    bool GetSimulatedDmpProtocol() const { return simulatedDmpProtocol_; }
    std::int32_t GetTxChunkSizeValue() const { return txChunkSize_; }
    std::size_t TxQueueLength() const { return txQueue_.size(); }
    int RegisteredCount(int list) const;
    RxMessageTables& tables() { return tables_; }
    // The scheduler's clock.
    std::int64_t NowMs() const;
    // The replies the modem behind this port owes and the keying of its radio.
    ModemLine& modemLine() { return modemLine_; }
    const ModemLine& modemLine() const { return modemLine_; }
    // The device the port opens: its file, else "Com" and the port number.
    std::string DeviceIdentity() const;

    // Registration list numbers, in the order DeRegisterForAll walks them.
    enum List : int {
        listDecoded, listRs485, listDmp, listRaw, listTxComplete, listBreak, listSRecord, listCrLf,
        listCtsChange, listDcdChange, listDsrChange, listCtsTimeout, listCount
    };
    static constexpr int kDataLists = 8;  // the first eight keep the port open

private:
    // settings / open / close
    void ResetClass();
    // Sets the mode's lines and handshaking; what the device refused is added to `refusals`.
    bool ApplyTxMode(std::int32_t mode, std::vector<std::string>* refusals);
    // Shows what the device refused under fixedText, leaving out what was shown since the open.
    void ReportRefusals(const char* fixedText, const std::vector<std::string>& refusals);
    [[nodiscard]] bool ApplyWorkingSettings(const PortSettings& settings, bool extended, const char* failText);
    [[nodiscard]] bool ApplyWorkingMode(std::int32_t mode, const char* failText);
    void InitDmpBaudList();
    void ReportError(const std::string& fixedText, const std::string& detail);
    std::int32_t GetTxChunkSize() const;

    // registration
    bool Register(int list, CommForm* frm, bool closeFirst);
    bool DeRegister(int list, CommForm* frm);
    bool IsListed(int list, const CommForm* frm) const;
    template <class F> void Deliver(int list, F&& call);

    // counters
    void AddTxBytes(std::int32_t n) { SaturatingAdd(txBytes_, n); }
    void AddRxBytes(std::int32_t n) { SaturatingAdd(rxBytes_, n); }
    void AddFramingErrors(std::int32_t n) { SaturatingAdd(framingErrors_, n); }
    void AddDribbleBytes(std::int32_t n) { SaturatingAdd(dribbleBytes_, n); }
    void ReadLinesBack();
    void IdleLines();
    // Inverts a line, waits `delay` seconds with events running, and inverts it back.
    void PulseLine(bool (SerialDevice::*level)() const, void (classComm::*setLine)(bool), float delay);

    // receive
    void DeviceLost();
    void ReceiveStep();
    void TakeReceived(const std::string& chunk);
    void LineChangeStep(int line);
    void ProcessRx(const std::string& rxStr);
    void DispatchChunk(const std::string& rxStr);
    template <class Decoder, class Message, class Each>
    void DecodeFrameKind(std::string_view chunk, Decoder& decoder, std::array<Message, kRxTableSlots>& table,
                         Each&& each);
    void ProcessTxComplete();

    // transmit
    std::int32_t SendKeyed(const std::string& text);
    std::int32_t OutputChunk(const std::string& text);
    void ClearTxQueue() { txQueue_.clear(); }
    // Forgets text held for DCD or CTS and the waits for them.
    void DropHeldOutput();
    void AppendTxQueue(const std::string& text) { txQueue_ += text; }
    std::string TakeTxQueue();
    bool FlushTxQueue();
    float GetTurnaroundDelay() const;
    void EndKeying();
    void EndOfSendStep();
    void CtsChangeStep();
    void DcdChangeStep();
    void TickWaitSteps();
    void BusyWait(double seconds);
    std::int32_t SecondsToTicks(double seconds) const;
    [[nodiscard]] std::int32_t SendFrame(const std::optional<std::string>& frame, std::int32_t tmpTxMode);
    [[nodiscard]] std::int32_t SendOpcodeAndBytes(std::int16_t opCode, std::span<const std::uint8_t> data,
                                                  std::int32_t tmpTxMode, std::int32_t dstAddr);
    void ShowPortError(const std::string& text);

    const ModeFlags& modes_;
    const LocaleInfo& locale_;
    Scheduler& scheduler_;
    Dialogs& dialogs_;
    RxMessageTables& tables_;

    CommSettings settings_;
    bool comPortOpen_ = false;
    std::int16_t firstSlot_ = 0;
    // What the device refused and was shown since it was opened: shown once per open.
    std::vector<std::string> refusalsShown_;
    // The loss of a device shown to the operator. It belongs to that device (the port number
    // and the device file), so a port moved to another device does not carry it; it ends when
    // the device has opened again and proved usable: bytes came in, or it stayed open
    // kLossSettleMs. Output that left proves nothing: a pseudo-terminal takes it whether or not
    // anything is on the far end.
    bool lossTold_ = false;
    std::int16_t lostPortNumber_ = 0;
    std::string lostDevice_;
    std::int64_t lossReopenedMs_ = -1;  // when the lost device opened again; -1 while it is not open
    // The port number whose device the device object last opened or tried (its deviceName()
    // names that one); 0 before the first open.
    std::int16_t deviceTriedFor_ = 0;
    bool LossToldForDevice() const;
    void DeviceProvedUsable();

    bool forcedOpen_ = false;
    PortSettings forced_;
    std::int32_t forcedTxMode_ = 1;

    std::array<std::vector<CommForm*>, listCount> lists_;

    std::string txQueue_;

    // In force on the open port; nothing before the first open.
    PortSettings working_{.baudRate = 0, .parity = '\0', .dataBits = 0, .stopBits = 0};
    std::int32_t workingTxMode_ = 0;
    bool workingIgnoreDcd_ = false;
    double bytesPerSecond_ = 0;

    std::int16_t dmpBaudIndex_ = 0;
    std::array<std::int32_t, 3> dmpBaudList_{};

    std::int32_t dcdWaitTicks_ = 0;
    std::int32_t dcdWaitTxMode_ = 0;
    std::int32_t ctsWaitTicks_ = 0;
    std::int32_t ctsBusyTicks_ = 0;
    bool keyedSendActive_ = false;  // RTS raised by a keyed send and not yet dropped

    double txBytes_ = 0;
    double rxBytes_ = 0;
    double framingErrors_ = 0;
    double dribbleBytes_ = 0;

    bool rtsState_ = false;
    bool dtrState_ = false;
    bool dcdState_ = false;
    bool dsrState_ = false;
    bool ctsState_ = false;

    bool extendedLengthMode_ = false;
    std::int16_t rxBurstTicks_ = 0;
    float lastRxTime_ = 0;
    std::int32_t txChunkSize_ = 0;
    bool simulatedDmpProtocol_ = false;
    std::int16_t simulatedDmpFunction_ = 0;

    ModemLine modemLine_;

    Timer* timerCtrl_ = nullptr;
    // During a burst: ends it as soon as the line has been quiet for a few characters' time
    // instead of at the tick, so a reply's last bytes do not wait up to 100 ms.
    std::unique_ptr<Timer> quietTimer_;
    int quietCount_ = -1;
    void StartQuietCheck();
    void QuietCheck();
    SerialDevice* commCtrl_ = nullptr;

    SyncEscSettings CodecSettings() const;
    SyncEscDecoder syncEscDecoder_;
    Rs485Decoder rs485Decoder_;
    DmpDecoder dmpDecoder_;
    CrLfDecoder crLfDecoder_;
    SRecordDecoder sRecordDecoder_;
    bool dispatching_ = false;
    std::deque<std::string> pendingRx_;

    std::unique_ptr<ZmodemUploader> zmodem_;
    ZmodemStatus zmodemStatus_ = ZmodemStatus::Idle;
};

}  // namespace k45
