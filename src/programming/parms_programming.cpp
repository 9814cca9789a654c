// The write side of the read/write dialogue: merge into the modem's own record, then the
// "S1" blocks, the optional "CHANNEL" step and the "S9" end record.
#include <vector>

#include "wiring/main_frame.h"
#include "base/utilities.h"
#include "params/merges.h"
#include "platform/scheduler.h"
#include "programming/parms_rd_wr.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"
#include "serial/tx_modes.h"

namespace k45 {

namespace {

constexpr const char* kAlertTitle = "Programming Alert!";

// Blocks of 32 bytes that cover bytes 0..endAddress.
std::int16_t BlocksFor(std::int32_t endAddress) {
    return static_cast<std::int16_t>((endAddress + 1 + ParmsRdWrDialogue::kBlockBytes - 1) /
                                     ParmsRdWrDialogue::kBlockBytes);
}

// Upper case of a file name held as UTF-8: ASCII letters and the letters of the Western
// character set (a grave .. thorn, y diaeresis, s and z caron, oe); other text is kept.
std::string Upper(const std::string& s) {
    std::string r;
    r.reserve(s.size() + 1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        const auto next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (c >= 'a' && c <= 'z') {
            r += static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && next >= 0xA0 && next <= 0xBE && next != 0xB7) {
            r += static_cast<char>(c);
            r += static_cast<char>(next - 0x20);
            ++i;
        } else if (c == 0xC3 && next == 0xBF) {
            r += "\xC5\xB8";
            ++i;
        } else if (c == 0xC5 && (next == 0x93 || next == 0xA1 || next == 0xBE)) {
            r += static_cast<char>(c);
            r += static_cast<char>(next - 1);
            ++i;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r;
}

}  // namespace

void ParmsRdWrDialogue::MergeAndProgram() {
    const LoadToken::Value token = load_.Take();
    const ModeFlags& modes = links_.modes;
    const SharedRecords& records = links_.records;
    const std::string file = Upper(GetFileNamePart(links_.files.dataFileName));
    switch (settings_.parmsMode) {
    case ParmsMode::WriteProgrammable: view_.SetLabels("Writing " + file + " to", "Programmable Parameters..."); break;
    case ParmsMode::WriteAll: view_.SetLabels("Writing " + file + " to", "All Parameters..."); break;
    case ParmsMode::WriteCurrent: view_.SetLabels("Writing ", "Current Parameters..."); break;
    case ParmsMode::CloneProgrammable: view_.SetLabels("Cloning Current Parameters to", "Programmable Parameters..."); break;
    case ParmsMode::WriteDefault: view_.SetLabels("Writing " + file + " to", "Default Parameters..."); break;
    default: break;
    }
    // An image of no known layout has nothing to merge into and must not be written back:
    // "Modem Type is not correct!" is shown.
    workParameters_ = ModemParameters{};
    if (const Outcome decoded = DecodeParameterImage(modes, records, workParameters_, transferImage_); !decoded.ok()) {
        ShowMessage(links_.dialogs(), decoded.problem());
        if (load_.Still(token)) CloseWindow();
        return;
    }
    if (!load_.Still(token)) return;
    std::string warnings;
    switch (settings_.parmsMode) {
    case ParmsMode::WriteProgrammable:
    case ParmsMode::WriteDefault:
        warnings = MergeUserParameters(workParameters_, records.mainParameters, modes.productionMode);
        break;
    case ParmsMode::WriteAll:
        warnings = MergeAllParameters(workParameters_, records.mainParameters, modes.productionMode);
        break;
    case ParmsMode::WriteCurrent:
        warnings = MergeFactoryParameters(workParameters_, records.currentParameters, modes.productionMode);
        break;
    case ParmsMode::CloneProgrammable:
        warnings = MergeCloneParameters(workParameters_, records.mainParameters, modes.productionMode);
        break;
    default: break;
    }
    // True to go on; otherwise the write has ended with nothing written.
    auto goOn = [&](const std::string& w) {
        if (!w.empty() && !AlertAccepted(w)) {
            if (load_.Still(token)) {
                dialogueState_ = ReadWriteState::Idle;
                CloseWindow();
            }
            return false;
        }
        return load_.Still(token);
    };
    if (!goOn(warnings)) return;
    if (settings_.parmsMode == ParmsMode::WriteDefault &&
        !goOn(MergeFactoryParameters(workParameters_, records.mainParameters, modes.productionMode)))
        return;
    StartProgramming();
}

bool ParmsRdWrDialogue::AlertAccepted(const std::string& warnings) {
    Dialogs* d = links_.dialogs();
    if (!d) return false;
    if (links_.modes.productionMode)
        return d->messageBox(warnings + "Do you want to Proceed?", kAlertTitle, MsgButtons::OKCancel, MsgIcon::None) ==
               MsgAnswer::OK;
    d->messageBox(warnings, kAlertTitle, MsgButtons::OK, MsgIcon::None);
    return false;
}

void ParmsRdWrDialogue::StartProgramming() {
    const LoadToken::Value token = load_.Take();
    const SharedRecords& records = links_.records;
    ShowPercent(0);
    channelStepPending_ = false;
    stepCount_ = 0;
    exchange_.Stop();
    if (const Outcome encoded =
            EncodeParameterImage(links_.modes, records, links_.services, transferImage_, workParameters_);
        !encoded.ok()) {
        ShowMessage(links_.dialogs(), encoded.problem());
        if (load_.Still(token)) CloseWindow();
        return;
    }
    switch (settings_.parmsMode) {
    case ParmsMode::WriteProgrammable:
    case ParmsMode::CloneProgrammable:
        // Layout 2 keeps its 40-character comment in bytes 419..458: the programmable part
        // runs to byte 460 there, so the comment is written whole.
        endAddress_ = SelectImageLayout(workParameters_.eepromVersion, workParameters_.model) == ImageLayout::RNetV02
                          ? 460
                          : 428;
        channelStepPending_ = workParameters_.channelOverride != records.mainParameters.channelOverride;
        break;
    case ParmsMode::WriteAll:
    case ParmsMode::WriteDefault:
        endAddress_ = kParameterImageBytes - 1;
        channelStepPending_ = true;
        break;
    case ParmsMode::WriteCurrent:
        endAddress_ = kParameterImageBytes - 1;
        channelStepPending_ = workParameters_.channelOverride != records.currentParameters.channelOverride;
        break;
    default:
        Fail("Invalid Read/Write Mode!!!", "Parameters Read/Write", MsgIcon::Critical);
        return;
    }
    stepTotal_ = BlocksFor(endAddress_);
    startAddress_ = 0;
    // Lines are heard again while programming: a version line means the modem has restarted.
    if (classComm* port = links_.port()) port->RegisterForRxCrLf(this);
    SendProgramBlock(0, ReadWriteState::AwaitBlockAck);
}

void ParmsRdWrDialogue::SendProgramBlock(std::int32_t n, ReadWriteState nextState) {
    exchange_.Send([this, n] { SendBlock(n); });
    blockRefused_ = false;
    dialogueState_ = nextState;
}

void ParmsRdWrDialogue::SendBlock(std::int32_t n) {
    classComm* port = links_.port();
    const std::int32_t first = n * kBlockBytes;
    if (Active() && port && n >= 0 && first <= endAddress_ && endAddress_ < kParameterImageBytes) {
        std::vector<std::int16_t> data;
        for (std::int32_t k = 0; k < kBlockBytes && first + k <= endAddress_; ++k)
            data.push_back(std::int16_t{transferImage_[static_cast<std::size_t>(first + k)]});
        if (const auto body = port->MessSRecord(startAddress_ + first, data))
            SendProgramRecord(*port, *body);
    }
}

void ParmsRdWrDialogue::ModemRestarted() {
    // A restarted modem has lost the session and acknowledges what it no longer programs, so
    // the write can only be given up.
    switch (dialogueState_) {
    case ReadWriteState::AwaitBlockAck:
    case ReadWriteState::AwaitBlockDelay: Fail(kNoProgramText, kErrorTitle, MsgIcon::Critical); break;
    case ReadWriteState::AwaitChannelAck: Fail(kNoChannelText, kErrorTitle, MsgIcon::Critical); break;
    case ReadWriteState::AwaitEndAck: Fail(kNoProgramEndText, kErrorTitle, MsgIcon::Critical); break;
    default: break;
    }
}

void ParmsRdWrDialogue::SendChannel() {
    if (classComm* port = links_.port()) SendCommandAndByte(*port, "CHANNEL", workParameters_.channelOverride);
}

void ParmsRdWrDialogue::SendEnd() {
    if (classComm* port = links_.port()) SendSRecordEnd(*port);
}

void ParmsRdWrDialogue::CompleteWrite() {
    const LoadToken::Value token = load_.Take();
    ModemParameters& mainParameters = links_.records.mainParameters;
    exchange_.Stop();
    mainParameters.setupTime = workParameters_.setupTime;
    mainParameters.numberOfWrites = (workParameters_.numberOfWrites + 1) & 0xFFFF;
    if (EditorPage* editor = links_.windows().RadioParmsEditor()) editor->UpdateChanges();
    if (!settings_.autoStart && links_.dialogs())
        links_.dialogs()->messageBox("Programming Complete!", "Complete", MsgButtons::OK, MsgIcon::Information);
    if (!load_.Still(token)) return;
    programCompleted_ = true;
    CloseWindow();
}

}  // namespace k45
