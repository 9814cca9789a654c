#include "diagnostics/link_test.h"

#include <algorithm>

#include "base/converters.h"
#include "base/utilities.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

namespace {

bool Paused(LinkState s) {
    return s == LinkState::PausedAwaitingRequestAck || s == LinkState::PausedAwaitingPatternLines;
}
// The port is at the data baud while pattern lines are counted.
bool CountingLines(LinkState s) {
    return s == LinkState::AwaitingPatternLines || s == LinkState::PausedAwaitingPatternLines;
}
bool AwaitingAck(LinkState s) { return s == LinkState::AwaitingRequestAck || s == LinkState::PausedAwaitingRequestAck; }
// A transmission is between blocks or open, running or paused.
bool Transmitting(LinkState s) { return s == LinkState::AwaitingNextRequest || AwaitingAck(s) || CountingLines(s); }

}  // namespace

std::int32_t LinkDataBaud(std::int16_t model, std::int16_t baudRate) {
    static constexpr std::int32_t kPNet[] = {4800, 9600, 19200, 9600};
    static constexpr std::int32_t kOther[] = {1200, 2400, 4800, 9600};
    if (baudRate < 0 || baudRate > 3) return 9600;
    return model == 6 ? kPNet[baudRate] : kOther[baudRate];
}

LinkTiming ComputeLinkTiming(std::int32_t dataBaud, std::int16_t blockSize, std::int32_t blockDelayValue) {
    double base = 2.39, linesPerSecond = 12.35;
    switch (dataBaud) {
        case 1200: base = 3.84; linesPerSecond = 1.64; break;
        case 2400: base = 3.02; linesPerSecond = 3.26; break;
        case 4800: base = 2.58; linesPerSecond = 6.4; break;
        case 19200: base = 2.29; linesPerSecond = 24.68; break;
        default: break;
    }
    LinkTiming t;
    t.baseMs = static_cast<std::int32_t>(RoundHalfEven(base * 1000.0));
    t.transferMs = t.baseMs + static_cast<std::int32_t>(RoundHalfEven(blockSize * (1.0 / linesPerSecond) * 1000.0));
    t.baseTicks = static_cast<std::int32_t>(RoundHalfEven(t.baseMs / 500.0)) + 1;
    t.transferTicks = static_cast<std::int32_t>(RoundHalfEven(t.transferMs / 500.0)) + 1;
    t.responseTicks = blockDelayValue;
    t.blockDelayTicks = blockDelayValue;
    t.fastRestart = blockDelayValue < t.transferTicks;
    if (t.responseTicks <= t.transferTicks + t.baseTicks) t.responseTicks = t.transferTicks + t.baseTicks;
    if (t.blockDelayTicks <= t.transferTicks) t.blockDelayTicks = t.transferTicks;
    return t;
}

LinkTestEngine::LinkTestEngine(DialogueLinks links, const DiagSettings& settings, LinkTestView& view)
    : current_(links.records.currentParameters),
      locale_(links.files.locale),
      services_(links.services),
      links_(links),
      port_(links.ports.classCommPrimary),
      settings_(settings),
      view_(view),
      timerResponse_(links.services.scheduler->createTimer()),
      timerTestTx_(links.services.scheduler->createTimer()) {
    timerResponse_->setInterval(kTickMs);
    timerResponse_->setHandler([this] { TimerResponseTick(); });
    timerTestTx_->setInterval(kTickMs);
    timerTestTx_->setHandler([this] { TimerTestTxTick(); });
}

LinkTestEngine::~LinkTestEngine() {
    if (load_.loaded() && port_) primary_().DeRegisterForAll(this);
}

void LinkTestEngine::Restart(Timer& t, int ms) {
    t.setEnabled(false);
    t.setInterval(ms);
    t.setEnabled(true);
}

void LinkTestEngine::ShowCounters() {
    d_.blocksTxed = WholeText(blocksTxed_);
    d_.blocksRxed = WholeText(blocksRxed_);
}

// ---- window life cycle ----

void LinkTestEngine::Load() {
    if (!port_) return;  // no port object yet: nothing to listen to
    load_.Begin();
    parmsRequested_ = false;
    linkState_ = LinkState::AwaitingParameters;
    restartRequested_ = false;
    d_.pauseEnabled = false;
    d_.startEnabled = true;
    d_.settingsEnabled = true;
    ClearClicked();
    primary_().RegisterForSRecord(this);
    primary_().RegisterForRxCrLf(this);
    numberOfBlocks_ = loadSettings_.numberOfBlocks;
    d_.numOfBlocks = WholeText(numberOfBlocks_);
    SetBlockDelay(loadSettings_.blockDelay);
    SetBlockSize(loadSettings_.blockSize);
}

void LinkTestEngine::Activate() {
    if (!load_.loaded() || !port_) return;
    const LoadToken::Value token = load_.Take();
    if (CountingLines(linkState_)) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)primary_().OverrideSettings({.baudRate = dataBaud_});
    } else {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)primary_().OverrideHandshaking(7, false, 0);
        (void)primary_().OverrideSettings({.baudRate = 9600});
    }
    if (!load_.Still(token)) return;
    if (primary_().settings().portNumber != lastPortNumber_) {
        lastPortNumber_ = primary_().settings().portNumber;
        parmsRequested_ = false;
    }
    // The list leaves out the local unit read last before a test that Start asked for meanwhile
    // begins: the request never goes to the local unit itself.
    FillRemoteIdList();
    if (!parmsRequested_) RequestCurrentParms();
    else if (linkState_ == LinkState::AwaitingActivation) StopLinkTest();
    if (load_.Still(token)) view_.DisplayChanged();
}

void LinkTestEngine::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    loadSettings_ = {numberOfBlocks_, static_cast<std::int16_t>(d_.blockDelay), static_cast<std::int16_t>(d_.blockSize)};
    timerResponse_->setEnabled(false);
    timerTestTx_->setEnabled(false);
    if (port_) primary_().DeRegisterForAll(this);
}

void LinkTestEngine::RequestCurrentParms() {
    linkState_ = LinkState::AwaitingParameters;
    parmsRequested_ = true;
    links_.windows().ReadCurrentParameters(*this);
}

void LinkTestEngine::UpdateParms(bool parmsWereFound) {
    if (!load_.loaded()) return;
    const LoadToken::Value token = load_.Take();
    if (parmsWereFound && linkState_ == LinkState::AwaitingParameters) {
        d_.localId = std::to_string(current_.serialNumber);
        dataBaud_ = LinkDataBaud(current_.model, current_.baudRate);
        linkState_ = LinkState::AwaitingActivation;
        if (view_.IsActiveChild()) Activate();
    } else {
        StopLinkTest();
    }
    if (load_.Still(token)) view_.DisplayChanged();
}

void LinkTestEngine::FillRemoteIdList() {
    const int remembered = d_.remoteSelected;
    d_.remoteIds.clear();
    std::uint32_t local = 0;
    // Before the first parameter read there is no local ID: nothing to leave out but 0.
    (void)ParseUnitIdItem(d_.localId, local);
    for (int i = 0; i < settings_.filterIdCount && i < kMaxFilterIds; ++i) {
        const std::uint32_t id = settings_.filterIds[static_cast<std::size_t>(i)];
        if (id == local || id == 0) continue;
        const std::string text = std::to_string(id);
        if (std::find(d_.remoteIds.begin(), d_.remoteIds.end(), text) == d_.remoteIds.end()) d_.remoteIds.push_back(text);
    }
    const int n = static_cast<int>(d_.remoteIds.size());
    int sel = remembered < 0 ? 0 : remembered;
    if (sel >= n) sel = n - 1;
    d_.remoteSelected = sel;
    // The box is emptied with its list: an empty list leaves no ID to send to.
    d_.remoteText = sel >= 0 ? d_.remoteIds[static_cast<std::size_t>(sel)] : std::string();
}

void LinkTestEngine::SelectRemote(int index) {
    if (index < 0 || index >= static_cast<int>(d_.remoteIds.size())) return;
    d_.remoteSelected = index;
    d_.remoteText = d_.remoteIds[static_cast<std::size_t>(index)];
}

void LinkTestEngine::TypeRemote(const std::string& text) {
    d_.remoteText = text;
    d_.remoteSelected = -1;
    for (std::size_t i = 0; i < d_.remoteIds.size(); ++i)
        if (d_.remoteIds[i] == text) d_.remoteSelected = static_cast<int>(i);
}

void LinkTestEngine::SetBlockSize(int value) { d_.blockSize = std::clamp(value, 1, 200); }
void LinkTestEngine::SetBlockDelay(int value) { d_.blockDelay = std::clamp(value, 0, 240); }

void LinkTestEngine::SetNumOfBlocks(const std::string& text) {
    d_.numOfBlocks = text;
    std::uint32_t v = 0;
    if (ParseUnitIdItem(text, v)) numberOfBlocks_ = v;
}

void LinkTestEngine::ClearClicked() {
    blocksTxed_ = 0;
    blocksRxed_ = 0;
    ShowCounters();
    d_.linkQuality = FormatFixed(0, 3, locale_) + " %";
    view_.DisplayChanged();
}

// ---- the engine ----

void LinkTestEngine::StartClicked() {
    if (linkState_ != LinkState::Idle) {
        restartRequested_ = true;
        return;
    }
    if (dataBaud_ == 0) return;  // no data baud known yet: nothing to switch the port to
    const LoadToken::Value token = load_.Take();
    std::uint32_t remote = 0;
    if (!ParseUnitIdItem(d_.remoteText, remote)) {
        services_.dialogs->messageBox("The Remote ID must be a whole number from 0 to 4294967295.", std::string(),
                                 MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    d_.pauseEnabled = true;
    d_.startEnabled = false;
    d_.settingsEnabled = false;
    view_.FocusPause();
    remoteUnitId_ = remote;
    StartLinkTest();
    if (!load_.Still(token)) return;
    restartRequested_ = false;
    view_.DisplayChanged();
}

void LinkTestEngine::StartLinkTest() {
    std::uint32_t blocks = 0;
    if (ParseUnitIdItem(d_.numOfBlocks, blocks)) numberOfBlocks_ = blocks;
    blockSize_ = static_cast<std::int16_t>(d_.blockSize);
    timing_ = ComputeLinkTiming(dataBaud_, blockSize_, d_.blockDelay);
    SendNextTransmission();
}

bool LinkTestEngine::CommandSettings() {
    const LoadToken::Value token = load_.Take();
    // A refused setting has shown its own box; the exchange goes on regardless.
    (void)primary_().OverrideSettings({.baudRate = 9600});
    if (!load_.Still(token)) return false;
    primary_().SetDtrSignal(true);
    return true;
}

void LinkTestEngine::SendNextTransmission() {
    ShowLinkQuality();
    if (Paused(linkState_)) {
        timerResponse_->setEnabled(false);
        timerTestTx_->setEnabled(false);
        StopLinkTest();
        return;
    }
    if (view_.IsActiveChild()) {
        if (blocksTxed_ >= kLinkCountLimit || (numberOfBlocks_ > 0 && blocksTxed_ >= numberOfBlocks_)) {
            PauseLinkTest();
            // A transmission still open must end even if its reply never comes.
            if (Paused(linkState_)) Restart(*timerResponse_, kTickMs);
            return;
        }
        const LoadToken::Value token = load_.Take();
        if (!CommandSettings()) return;
        services_.scheduler->wait(100, false);
        blocksTxed_ += blockSize_;
        ShowCounters();
        // A port that is not open says so in a box.
        SendRemoteCommandAndByte(primary_(), remoteUnitId_, "PSUDO", blockSize_);
        if (!load_.Still(token)) return;
        linesInTransmission_ = 0;
        linkState_ = LinkState::AwaitingRequestAck;
    } else {
        linkState_ = LinkState::AwaitingNextRequest;
    }
    blockReceived_ = false;
    Restart(*timerTestTx_, kTickMs);
    Restart(*timerResponse_, kTickMs);
    tickCount_ = 0;
    view_.DisplayChanged();
}

void LinkTestEngine::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded() || !AwaitingAck(linkState_)) return;
    if (rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return;
    const SRecordMessage& rec = primary_().tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)];
    if (rec.recType != 'R' || rec.recNum != 8 || rec.address != 0) return;
    const LoadToken::Value token = load_.Take();
    // A refused setting has shown its own box; the exchange goes on regardless.
    (void)primary_().OverrideSettings({.baudRate = dataBaud_});
    if (!load_.Still(token)) return;
    primary_().SetDtrSignal(false);
    linkState_ = linkState_ == LinkState::AwaitingRequestAck ? LinkState::AwaitingPatternLines
                                                             : LinkState::PausedAwaitingPatternLines;
}

void LinkTestEngine::RxCrLfData(const std::string& rxStr) {
    if (!load_.loaded() || !CountingLines(linkState_)) return;
    if (rxStr.find(kTestPattern) == std::string::npos) return;
    ++linesInTransmission_;
    CountReceivedBlock();
    if (linesInTransmission_ < blockSize_ || !CountingLines(linkState_)) return;
    if (!CommandSettings()) return;
    if (linkState_ == LinkState::AwaitingPatternLines) {
        linkState_ = LinkState::AwaitingNextRequest;
        ShowLinkQuality();
        if (timing_.fastRestart) {
            timerResponse_->setEnabled(false);
            timerTestTx_->setEnabled(false);
            timerTestTx_->setInterval(kFastRestartMs);
            timerTestTx_->setEnabled(true);
            tickCount_ = timing_.blockDelayTicks;
        }
    } else {
        ShowLinkQuality();
        StopLinkTest();
    }
    view_.DisplayChanged();
}

void LinkTestEngine::CountReceivedBlock() {
    blockReceived_ = true;
    blocksRxed_ += 1;
    ShowCounters();
    if (blocksRxed_ >= kLinkCountLimit) PauseLinkTest();
}

void LinkTestEngine::ShowLinkQuality() {
    if (blocksTxed_ == 0) return;
    d_.linkQuality = FormatFixed(blocksRxed_ / blocksTxed_ * 100.0, 3, locale_) + " %";
}

void LinkTestEngine::PauseLinkTest() {
    if (linkState_ == LinkState::AwaitingNextRequest) StopLinkTest();
    else if (linkState_ == LinkState::AwaitingRequestAck) linkState_ = LinkState::PausedAwaitingRequestAck;
    else if (linkState_ == LinkState::AwaitingPatternLines) linkState_ = LinkState::PausedAwaitingPatternLines;
    d_.startEnabled = true;
    d_.pauseEnabled = false;
    d_.settingsEnabled = true;
    view_.FocusStart();
    view_.DisplayChanged();
}

void LinkTestEngine::StopLinkTest() {
    const LoadToken::Value token = load_.Take();
    linkState_ = LinkState::Idle;
    if (!CommandSettings()) return;
    if (restartRequested_) {
        restartRequested_ = false;
        StartClicked();
    }
    if (load_.Still(token)) view_.DisplayChanged();
}

void LinkTestEngine::TimerResponseTick() {
    if (!view_.IsActiveChild()) return;
    timerResponse_->setEnabled(false);
    if (!Transmitting(linkState_)) return;
    ++tickCount_;
    if (tickCount_ > timing_.responseTicks) SendNextTransmission();
    else timerResponse_->setEnabled(true);
}

void LinkTestEngine::TimerTestTxTick() {
    if (!view_.IsActiveChild()) return;
    timerTestTx_->setEnabled(false);
    if (Transmitting(linkState_) && !Paused(linkState_) && blockReceived_ && tickCount_ >= timing_.blockDelayTicks)
        SendNextTransmission();
}

}  // namespace k45
