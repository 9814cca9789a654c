#include "diagnostics/offline_diag.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "diagnostics/diag_save.h"
#include "diagnostics/online_stream.h"
#include "base/converters.h"
#include "base/utilities.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

namespace {

constexpr const char* kRemoteIdMessage = "The Remote ID must be a whole number from 0 to 4294967295.";

const LocaleInfo& DotLocale() {
    static const LocaleInfo dot{".", "-"};
    return dot;
}

}  // namespace

OfflineDiagDialogue::OfflineDiagDialogue(DialogueLinks links, const DiagSettings& diagSettings, OfflineDiagView& view)
    : files_(links.files),
      current_(links.records.currentParameters),
      services_(links.services),
      links_(links),
      port_(links.ports.classCommPrimary),
      diagSettings_(diagSettings),
      view_(view),
      exchange_(links.services.scheduler, kResponseMs, [this] { TimerResponseTick(); }),
      timerDiagnostics_(links.services.scheduler->createTimer()),
      timerTxDisplay_(links.services.scheduler->createTimer()) {
    timerDiagnostics_->setInterval(kPollMs);
    timerDiagnostics_->setHandler([this] { TimerDiagnosticsTick(); });
    timerTxDisplay_->setInterval(10000);
    timerTxDisplay_->setHandler([this] { TimerTxDisplayTick(); });
    stations_.resize(1);
}

OfflineDiagDialogue::~OfflineDiagDialogue() {
    if (load_.loaded() && port_) primary_().DeRegisterForAll(this);
}

void OfflineDiagDialogue::Changed() { view_.DisplayChanged(); }

// ---- life cycle ----

void OfflineDiagDialogue::Load() {
    if (!port_) return;  // no port object yet: nothing to listen to
    load_.Begin();
    parmsRequested_ = false;
    localToneOn_ = false;
    pendingGetDiags_ = pendingClearDiags_ = pendingClearStats_ = false;
    pendingChannelChange_ = pendingTxTone_ = pendingEndTest_ = false;
    confirmedChannel_ = 0;
    stopRequested_ = false;
    primary_().RegisterForSRecord(this);
    replyState_ = OfflineReplyState::AwaitingParameters;
    sequenceMode_ = OfflineSequence::None;
    // The window's controls start as designed: nothing of an earlier visit is shown.
    d_ = OfflineDisplay{};
    selectEventsOn_ = false;
    d_.diagSelect = 2;
    selectEventsOn_ = true;
    // A stored time the bar cannot take leaves it at 1 s.
    d_.txTime = (settings_.txToneTime >= 1 && settings_.txToneTime <= 60) ? settings_.txToneTime : 1;
    wordCount_ = 0;
    ClearDiagnosticsDisplay();
    ClearStatsDisplay();
    timerDiagnostics_->setEnabled(true);
    Changed();
}

void OfflineDiagDialogue::Activate() {
    if (!load_.loaded() || !port_) return;
    // A refused setting has shown its own box; the exchange goes on regardless.
    (void)primary_().OverrideHandshaking(7, false, 0);
    (void)primary_().OverrideSettings({.baudRate = 9600});
    if (primary_().settings().portNumber != lastPortNumber_) {
        lastPortNumber_ = primary_().settings().portNumber;
        parmsRequested_ = false;
    }
    if (!parmsRequested_) {
        replyState_ = OfflineReplyState::AwaitingParameters;
        parmsRequested_ = true;
        links_.windows().ReadCurrentParameters(*this);
    } else if (replyState_ == OfflineReplyState::SwitchQueryDue) {
        SendSwitchQuery();
    }
    selectEventsOn_ = false;
    RebuildRemoteIdList();
    d_.progress = 0;
    selectEventsOn_ = true;
    Changed();
}

void OfflineDiagDialogue::Deactivate() {
    if (sequenceMode_ != OfflineSequence::None) {
        sequenceMode_ = OfflineSequence::None;
        replyState_ = OfflineReplyState::Idle;
    }
}

void OfflineDiagDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    settings_.txToneTime = static_cast<std::int16_t>(d_.txTime);
    exchange_.Stop();
    timerDiagnostics_->setEnabled(false);
    timerTxDisplay_->setEnabled(false);
    if (port_) primary_().DeRegisterForAll(this);
    // The stations and the reply words go with the window; its remote list goes with its box,
    // so the next visit builds both anew.
    stations_.assign(1, StationEntry{});
    extraIds_.clear();
    rxWords_.fill(0);
    wordCount_ = 0;
    d_.remoteIds.clear();
    d_.remoteSelected = -1;
    d_.remoteText.clear();
}

void OfflineDiagDialogue::UpdateParms(bool parmsWereFound) {
    if (!load_.loaded()) return;
    if (parmsWereFound && replyState_ == OfflineReplyState::AwaitingParameters) {
        const ModemParameters& p = current_;
        d_.localId = std::to_string(p.serialNumber);
        if (p.channelOverride != 0) {
            d_.channelIndex = std::clamp<int>(p.channelOverride - 1, 0, 7);
            d_.channelWarning = "Note: Channel 8 is redirected to Channel " + std::to_string(p.channelOverride);
        } else {
            d_.channelIndex = 7;
            d_.channelWarning = "Note: Channel 8 is Not redirected to any Channel.";
        }
        replyState_ = OfflineReplyState::SwitchQueryDue;
        Changed();
        if (view_.IsActiveChild()) Activate();
    } else {
        EndCommand();
    }
}

// ---- timers ----

void OfflineDiagDialogue::RestartResponse() { exchange_.Await(); }

void OfflineDiagDialogue::StopResponse() { exchange_.Stop(); }

void OfflineDiagDialogue::TimerDiagnosticsTick() {
    if (!view_.IsActiveChild() || replyState_ != OfflineReplyState::Idle || localToneOn_) return;
    SendCommand(primary_(), "RSSI");
    RestartResponse();
    replyState_ = OfflineReplyState::AwaitingRssi;
}

void OfflineDiagDialogue::TimerTxDisplayTick() {
    // The tone is over; the exchange that is open now ends by its own reply or time-out.
    timerTxDisplay_->setEnabled(false);
    localToneOn_ = false;
}

void OfflineDiagDialogue::TimerResponseTick() {
    if (!view_.IsActiveChild()) return;
    StopResponse();
    const bool last = !exchange_.CanResend();
    // A resend runs the request again, which starts its exchange afresh: the count goes on. A
    // request that sends nothing this time (replyState_ back at Idle) ends the command.
    bool resent = false;
    bool counted = false;
    const auto again = [&](const std::function<void()>& step, bool mayNotSend) {
        exchange_.ResendBy(step, ModemExchange::Tally::Silent);
        resent = !mayNotSend || replyState_ != OfflineReplyState::Idle;
    };
    switch (replyState_) {
    case OfflineReplyState::AwaitingDiagnostics:
        if (last || stopRequested_) break;
        again(
            [this] {
                replyState_ = OfflineReplyState::Idle;
                if (sequenceMode_ == OfflineSequence::Diagnostics) StartDiagnostics();
                else if (sequenceMode_ == OfflineSequence::ListDiagnostics) NextListStation(true);
            },
            true);
        break;
    case OfflineReplyState::AwaitingClearDiagsAck:
        if (last || stopRequested_) break;
        again(
            [this] {
                replyState_ = OfflineReplyState::Idle;
                ClearDiags();
            },
            true);
        break;
    case OfflineReplyState::AwaitingStatistics:
        if (last || stopRequested_ || sequenceMode_ != OfflineSequence::Statistics) break;
        again([this] { RequestNetworkStats(true); }, false);
        break;
    case OfflineReplyState::AwaitingClearStatsAck:
        if (last || stopRequested_) break;
        again(
            [this] {
                replyState_ = OfflineReplyState::Idle;
                ClearStats();
            },
            true);
        break;
    case OfflineReplyState::AwaitingSwitch:
        if (last) break;
        again([this] { SendCommand(primary_(), "CSWITCH"); }, false);
        break;
    case OfflineReplyState::AwaitingToneAck:
        if (last) break;
        again(
            [this] {
                replyState_ = OfflineReplyState::Idle;
                TxTone();
            },
            true);
        counted = resent;
        break;
    case OfflineReplyState::AwaitingChannelAck:
        if (last || localToneOn_) break;
        again(
            [this] { SendByteTo(targetLocal_, targetId_, "CHANNEL", static_cast<std::int16_t>(d_.channelIndex + 1)); },
            false);
        counted = true;
        break;
    case OfflineReplyState::AwaitingEndTestAck:
        if (last) {
            const LoadToken::Value token = load_.Take();
            services_.dialogs->messageBox("Unit Not Responding to End Test!");
            if (!load_.Still(token)) return;
            replyState_ = OfflineReplyState::Idle;
            view_.CloseWindow();
            return;
        }
        again([this] { SendCommand(primary_(), "T0"); }, false);
        counted = true;
        break;
    case OfflineReplyState::AwaitingRssi:
    case OfflineReplyState::AwaitingDiagnosticsEnd:
    case OfflineReplyState::AwaitingReplyAck: break;
    default: return;
    }
    if (resent) {
        if (counted) view_.CountResend();
        RestartResponse();
    } else {
        EndCommand();
    }
}

// ---- targets and sends ----

std::optional<std::uint32_t> OfflineDiagDialogue::LocalId() const {
    std::uint32_t id = 0;
    if (ParseUnitIdItem(d_.localId, id)) return id;
    return std::nullopt;
}

std::optional<std::uint32_t> OfflineDiagDialogue::RemoteTargetId(bool quiet) {
    std::uint32_t id = 0;
    if (ParseUnitIdItem(d_.remoteText, id)) return id;
    // Never sent to unit 0 or to the previous remote: the operator must give a real ID.
    if (!quiet) services_.dialogs->messageBox(kRemoteIdMessage, std::string(), MsgButtons::OK, MsgIcon::Exclamation);
    return std::nullopt;
}

int OfflineDiagDialogue::StationOfRemote(std::uint32_t id) {
    if (d_.remoteSelected >= 0 && d_.remoteSelected < remoteCount()) return d_.remoteSelected + 1;
    for (int i = 0; i < remoteCount(); ++i) {
        std::uint32_t listed = 0;
        if (ParseUnitIdItem(d_.remoteIds[static_cast<std::size_t>(i)], listed) && listed == id) return i + 1;
    }
    // A typed ID that is not listed keeps a station of its own after the listed ones.
    for (std::size_t i = 0; i < extraIds_.size(); ++i)
        if (extraIds_[i] == id) return remoteCount() + 1 + static_cast<int>(i);
    extraIds_.push_back(id);
    stations_.emplace_back();
    return static_cast<int>(stations_.size()) - 1;
}

void OfflineDiagDialogue::SendTo(bool local, std::uint32_t id, const std::string& command) {
    if (local) SendCommand(primary_(), command);
    else SendRemoteCommand(primary_(), id, command);
}

void OfflineDiagDialogue::SendByteTo(bool local, std::uint32_t id, const std::string& command, std::int16_t value) {
    if (local) SendCommandAndByte(primary_(), command, value);
    else SendRemoteCommandAndByte(primary_(), id, command, value);
}

bool OfflineDiagDialogue::Busy(bool& pending) {
    if (replyState_ == OfflineReplyState::Idle) return false;
    pending = true;
    return true;
}

void OfflineDiagDialogue::SetProgressWords() {
    const double denom = static_cast<double>(std::max(stationsExpected_, 1)) * kStationProgressWords;
    d_.progress = static_cast<int>(std::min(100.0, RoundHalfEven(progressWords_ / denom * 100.0)));
}

// ---- sequences ----

void OfflineDiagDialogue::StartDiagnostics() {
    if (Busy(pendingGetDiags_)) return;
    pendingGetDiags_ = false;
    std::optional<std::uint32_t> remote;
    if (!d_.optionLocal) {
        if (!d_.optionRemoteList) {
            remote = RemoteTargetId();
            if (!remote) return;
        }
    }
    ClearDiagnosticsDisplay();
    ClearStatsDisplay();
    d_.progress = 0;
    savedRemoteIndex_ = d_.remoteSelected;
    savedRemoteText_ = d_.remoteText;
    progressWords_ = 0;
    if (d_.optionLocal || d_.optionRemoteList) {
        stationIndex_ = 0;
        stations_[0].stationId = LocalId().value_or(0);
        SendCommand(primary_(), "AS");
        scanList_ = !d_.optionLocal;
        stationsExpected_ = scanList_ ? remoteCount() + 1 : 1;
    } else {
        stationIndex_ = StationOfRemote(*remote);
        stations_[static_cast<std::size_t>(stationIndex_)].stationId = *remote;
        SendRemoteCommand(primary_(), *remote, "AS");
        scanList_ = false;
        stationsExpected_ = 1;
    }
    exchange_.ClearResends();
    wordCount_ = 0;
    replyState_ = OfflineReplyState::AwaitingDiagnostics;
    RestartResponse();
    sequenceMode_ = OfflineSequence::Diagnostics;
    stations_[static_cast<std::size_t>(stationIndex_)].diagValid = false;
    Changed();
}

void OfflineDiagDialogue::RequestNetworkStats(bool forced) {
    StationEntry& st = stations_[static_cast<std::size_t>(stationIndex_)];
    if (!forced && !st.diagValid) {
        if (scanList_) NextListStation(false);
        else sequenceMode_ = OfflineSequence::None;
        return;
    }
    st.statsValid = false;
    SendTo(stationIndex_ == 0, st.stationId, "NS");
    exchange_.ClearResends();
    sequenceMode_ = OfflineSequence::Statistics;
    wordCount_ = 0;
    replyState_ = OfflineReplyState::AwaitingStatistics;
    RestartResponse();
}

void OfflineDiagDialogue::NextListStation(bool resend) {
    StationEntry& done = stations_[static_cast<std::size_t>(stationIndex_)];
    if (done.statsValid) {
        const std::int64_t local = LocalId().value_or(0);
        done.masterRssi = -1;
        for (int i = 0; i < done.statsCount; ++i)
            if (done.stats[static_cast<std::size_t>(i)].remoteId == local) {
                done.masterRssi = done.stats[static_cast<std::size_t>(i)].rssi;
                break;
            }
    }
    if (!resend) {
        progressWords_ = static_cast<double>(stationIndex_ + 1) * kStationProgressWords;
        SetProgressWords();
        if (stationIndex_ < remoteCount()) {
            selectEventsOn_ = false;
            d_.remoteSelected = stationIndex_;
            d_.remoteText = d_.remoteIds[static_cast<std::size_t>(stationIndex_)];
            selectEventsOn_ = true;
            ++stationIndex_;
            ClearDiagnosticsDisplay();
            ClearStatsDisplay();
        } else {
            sequenceMode_ = OfflineSequence::None;
            d_.progress = 0;
            RestoreStartSelection();
            return;
        }
    }
    StationEntry& st = stations_[static_cast<std::size_t>(stationIndex_)];
    std::uint32_t id = 0;
    // The listed remote IDs are ones the parser took; the local one is 0 until a parameter read.
    if (stationIndex_ > 0) (void)ParseUnitIdItem(d_.remoteIds[static_cast<std::size_t>(stationIndex_ - 1)], id);
    else id = LocalId().value_or(0);
    st.stationId = id;
    st.diagValid = false;
    SendTo(stationIndex_ == 0, id, "AS");
    exchange_.ClearResends();
    sequenceMode_ = OfflineSequence::ListDiagnostics;
    wordCount_ = 0;
    replyState_ = OfflineReplyState::AwaitingDiagnostics;
    RestartResponse();
    Changed();
}

void OfflineDiagDialogue::EndCommand() {
    replyState_ = OfflineReplyState::Idle;
    if (stopRequested_) {
        stopRequested_ = false;
        sequenceMode_ = OfflineSequence::None;
        d_.progress = 0;
        RestoreStartSelection();
    } else if (sequenceMode_ == OfflineSequence::Diagnostics || sequenceMode_ == OfflineSequence::ListDiagnostics) {
        RequestNetworkStats(false);
    } else if (sequenceMode_ == OfflineSequence::Statistics) {
        if (scanList_) NextListStation(false);
        else sequenceMode_ = OfflineSequence::None;
    }
    auto run = [](bool& flag, auto fn) {
        if (!flag) return;
        flag = false;
        fn();
    };
    run(pendingGetDiags_, [this] { StartDiagnostics(); });
    run(pendingClearDiags_, [this] { ClearDiags(); });
    run(pendingClearStats_, [this] { ClearStats(); });
    run(pendingChannelChange_, [this] { ChangeChannel(); });
    run(pendingTxTone_, [this] { TxTone(); });
    run(pendingEndTest_, [this] { EndTest(); });
    Changed();
}

void OfflineDiagDialogue::RestoreStartSelection() {
    if (savedRemoteIndex_ >= 0 && savedRemoteIndex_ < remoteCount()) {
        d_.remoteSelected = savedRemoteIndex_;
        d_.remoteText = d_.remoteIds[static_cast<std::size_t>(savedRemoteIndex_)];
    } else {
        d_.remoteSelected = -1;
        d_.remoteText = savedRemoteText_;
    }
    // As the operator's selection would: the displays show that unit's results, not the last
    // unit scanned.
    ShowSelectedStation();
}

void OfflineDiagDialogue::SendSwitchQuery() {
    SendCommand(primary_(), "CSWITCH");
    AwaitReply(OfflineReplyState::AwaitingSwitch);
}

// ---- buttons ----

void OfflineDiagDialogue::GetDiagsStats() { StartDiagnostics(); }

void OfflineDiagDialogue::Stop() {
    if (sequenceMode_ != OfflineSequence::None) stopRequested_ = true;
    else stopRequested_ = false;
}

bool OfflineDiagDialogue::BeginUnitCommand(bool& pending) {
    if (Busy(pending)) return false;
    pending = false;
    std::optional<std::uint32_t> remote;
    if (!d_.optionLocal && !(remote = RemoteTargetId())) return false;
    targetLocal_ = d_.optionLocal;
    targetId_ = remote.value_or(0);
    return true;
}

void OfflineDiagDialogue::AwaitReply(OfflineReplyState awaited) {
    exchange_.ClearResends();
    sequenceMode_ = OfflineSequence::None;
    replyState_ = awaited;
    RestartResponse();
}

void OfflineDiagDialogue::ClearDiags() {
    if (!BeginUnitCommand(pendingClearDiags_)) return;
    ClearDiagnosticsDisplay();
    SendTo(targetLocal_, targetId_, "AR");
    AwaitReply(OfflineReplyState::AwaitingClearDiagsAck);
    Changed();
}

void OfflineDiagDialogue::ClearStats() {
    if (!BeginUnitCommand(pendingClearStats_)) return;
    ClearStatsDisplay();
    SendTo(targetLocal_, targetId_, "NR");
    AwaitReply(OfflineReplyState::AwaitingClearStatsAck);
    Changed();
}

void OfflineDiagDialogue::TxTone() {
    if (!BeginUnitCommand(pendingTxTone_)) return;
    const auto tone = static_cast<std::int16_t>(std::clamp(d_.txTime, 1, 60));
    localToneOn_ = targetLocal_;
    SendByteTo(targetLocal_, targetId_, "TONE", tone);
    timerTxDisplay_->setEnabled(false);
    if (targetLocal_) {
        timerTxDisplay_->setInterval(tone * kToneMsPerSecond);
        timerTxDisplay_->setEnabled(true);
    }
    AwaitReply(OfflineReplyState::AwaitingToneAck);
}

void OfflineDiagDialogue::ChangeChannel() {
    if (!BeginUnitCommand(pendingChannelChange_)) {
        // Refused for want of a remote ID, not waiting: a channel confirmed earlier goes too.
        if (!pendingChannelChange_) confirmedChannel_ = 0;
        return;
    }
    std::int16_t channel = std::exchange(confirmedChannel_, std::int16_t{0});
    if (channel == 0) {
        if (d_.channelIndex < 0 || d_.channelIndex > 7) d_.channelIndex = 7;
        channel = static_cast<std::int16_t>(d_.channelIndex + 1);
        const LoadToken::Value token = load_.Take();
        const MsgAnswer a = services_.dialogs->messageBox(
            "Do you want to Re-Direct Channel 8 to Channel " + std::to_string(channel), std::string(), MsgButtons::OKCancel);
        if (a != MsgAnswer::OK || !load_.Still(token)) return;
        // Events ran while the question was open: an exchange started meanwhile goes first.
        if (replyState_ != OfflineReplyState::Idle) {
            confirmedChannel_ = channel;
            pendingChannelChange_ = true;
            return;
        }
    }
    SendByteTo(targetLocal_, targetId_, "CHANNEL", channel);
    AwaitReply(OfflineReplyState::AwaitingChannelAck);
}

void OfflineDiagDialogue::EndTest() {
    if (replyState_ == OfflineReplyState::AwaitingParameters || replyState_ == OfflineReplyState::SwitchQueryDue) {
        view_.CloseWindow();
        return;
    }
    if (Busy(pendingEndTest_)) return;
    StopResponse();
    SendCommand(primary_(), "T0");
    exchange_.ClearResends();
    RestartResponse();
    replyState_ = OfflineReplyState::AwaitingEndTestAck;
    pendingEndTest_ = false;
}

// ---- replies ----

void OfflineDiagDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded() || rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return;
    const SRecordMessage& rec = primary_().tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)];
    if (rec.recType != 'R') return;
    const int count = std::clamp<int>(rec.dataCount, 0, kSRecordDataSlots);
    const bool ack = rec.recNum == 8 && rec.address == 0;
    auto append = [&] {
        for (int i = 0; i < count && wordCount_ < kOfflineRxWords; ++i)
            rxWords_[static_cast<std::size_t>(wordCount_++)] = rec.data[static_cast<std::size_t>(i)];
        progressWords_ += count;
        SetProgressWords();
    };
    switch (replyState_) {
    case OfflineReplyState::AwaitingDiagnostics:
        if (rec.recNum != 1) return;
        append();
        if (wordCount_ >= kDiagnosticBlockSize) {
            replyState_ = OfflineReplyState::AwaitingDiagnosticsEnd;
            ParseDiagnosticBlock(diagRecord_, std::span<const std::int16_t>(rxWords_.data(), kDiagnosticBlockSize));
            StationEntry& st = stations_[static_cast<std::size_t>(stationIndex_)];
            st.diagnostics = diagRecord_;
            st.diagValid = true;
            ShowDiagnostics(diagRecord_);
        }
        RestartResponse();
        Changed();
        break;
    case OfflineReplyState::AwaitingClearDiagsAck:
    case OfflineReplyState::AwaitingClearStatsAck:
    case OfflineReplyState::AwaitingToneAck:
    case OfflineReplyState::AwaitingChannelAck:
        if (!ack) return;
        StopResponse();
        EndCommand();
        break;
    case OfflineReplyState::AwaitingStatistics:
        if (rec.recNum == 1) {
            append();
            RestartResponse();
            Changed();
        } else if (rec.recNum == 9) {
            StationEntry& st = stations_[static_cast<std::size_t>(stationIndex_)];
            st.statsValid = true;
            st.statsCount = static_cast<std::int16_t>(std::min(wordCount_ / kRemoteStatsEntrySize, kMaxStatsEntries));
            ParseOfflineRecords(st.stats,
                                std::span<const std::int16_t>(rxWords_.data(), static_cast<std::size_t>(wordCount_)),
                                st.statsCount);
            FillStatsList(stationIndex_);
            RestartResponse();
            replyState_ = OfflineReplyState::AwaitingReplyAck;
            Changed();
        }
        break;
    case OfflineReplyState::AwaitingSwitch:
        if (!ack) return;
        d_.switchSetting = "DIP Switches (or CS0, CS1 and CS2) are set to Channel " + std::to_string(rec.data[0] + 1);
        StopResponse();
        EndCommand();
        break;
    case OfflineReplyState::AwaitingRssi:
        if (!ack) return;
        d_.currentLevel = FormatNegativeDbm(rec.data[0]);
        d_.levelPercent = RssiToPercent(rec.data[0]);
        StopResponse();
        EndCommand();
        break;
    case OfflineReplyState::AwaitingDiagnosticsEnd:
        if (rec.recNum != 9) return;
        RestartResponse();
        replyState_ = OfflineReplyState::AwaitingReplyAck;
        break;
    case OfflineReplyState::AwaitingReplyAck:
        if (!ack) return;
        StopResponse();
        EndCommand();
        if (sequenceMode_ == OfflineSequence::None) d_.progress = 0;
        Changed();
        break;
    case OfflineReplyState::AwaitingEndTestAck:
        if (!ack) return;
        StopResponse();
        replyState_ = OfflineReplyState::Idle;
        view_.CloseWindow();
        break;
    default: break;
    }
}

// ---- displays ----

void OfflineDiagDialogue::RebuildRemoteIdList() {
    const std::uint32_t local = LocalId().value_or(0);
    std::vector<std::string> ids;
    for (int i = 0; i < diagSettings_.filterIdCount && i < kMaxFilterIds; ++i) {
        const std::uint32_t id = diagSettings_.filterIds[static_cast<std::size_t>(i)];
        if (id == local || id == 0) continue;
        const std::string text = std::to_string(id);
        if (std::find(ids.begin(), ids.end(), text) == ids.end()) ids.push_back(text);
    }
    if (local == lastLocalId_ && !d_.remoteIds.empty() && ids == d_.remoteIds) return;
    lastLocalId_ = local;
    const int remembered = d_.remoteSelected;
    ClearDiagnosticsDisplay();
    ClearStatsDisplay();
    d_.remoteIds = ids;
    // The box is emptied with its list: nothing is sent to an ID that is no longer listed.
    d_.remoteText.clear();
    int sel = remembered < 0 ? 0 : remembered;
    if (sel >= static_cast<int>(ids.size())) sel = static_cast<int>(ids.size()) - 1;
    stations_.assign(ids.size() + 1, StationEntry{});
    extraIds_.clear();
    if (sel >= 0) {
        d_.remoteSelected = sel;
        d_.remoteText = ids[static_cast<std::size_t>(sel)];
        ShowSelectedStation();
    } else {
        d_.remoteSelected = -1;
    }
}

void OfflineDiagDialogue::ShowSelectedStation() {
    if (!selectEventsOn_) return;
    int k = -1;
    if (d_.optionLocal) {
        k = 0;
    } else if (d_.remoteSelected >= 0) {
        k = d_.remoteSelected + 1;
    } else {
        std::uint32_t id = 0;
        if (ParseUnitIdItem(d_.remoteText, id))
            for (std::size_t i = 0; i < extraIds_.size(); ++i)
                if (extraIds_[i] == id) k = remoteCount() + 1 + static_cast<int>(i);
    }
    if (k < 0 || k >= static_cast<int>(stations_.size())) {
        ClearDiagnosticsDisplay();
        ClearStatsDisplay();
    } else {
        const StationEntry& st = stations_[static_cast<std::size_t>(k)];
        if (st.diagValid) ShowDiagnostics(st.diagnostics);
        else ClearDiagnosticsDisplay();
        if (st.statsValid) FillStatsList(k);
        else ClearStatsDisplay();
    }
    Changed();
}

void OfflineDiagDialogue::ShowDiagnostics(const DiagnosticsRecord& r) {
    const int s = std::clamp(d_.diagSelect, 0, 2);
    if (!parmsRequested_) return;
    const auto& v = r.sets[static_cast<std::size_t>(s)].values;
    const bool allZero = v[2] == 0 && v[5] == 0 && v[6] == 0 && v[7] == 0 && v[8] == 0 && v[9] == 0 &&
                         static_cast<std::int64_t>(r.goodCount) == 0 && static_cast<std::int64_t>(r.totalCount) == 0 &&
                         static_cast<std::int64_t>(r.dcdCount) == 0;
    if (allZero) {
        ClearDiagnosticsDisplay();
        return;
    }
    const LocaleInfo& loc = files_.locale;
    d_.battery = FormatBatteryVolts(v[2], loc);
    d_.analogVcc = FormatAnalogVccVolts(v[5], loc);
    d_.temperature = FormatTemperatureC(v[6]);
    d_.rssiLevel = FormatNegativeDbm(v[7]);
    d_.fwdPwr = FormatTenthsWatts(v[8], loc);
    d_.revPwr = FormatTenthsWatts(v[9], loc);
    d_.preambleGood = WholeText(r.goodCount);
    d_.preambleTotal = WholeText(r.totalCount);
    d_.preambleDcd = WholeText(r.dcdCount);
}

void OfflineDiagDialogue::ClearDiagnosticsDisplay() {
    d_.battery = d_.analogVcc = "---- V";
    d_.temperature = "---- C";
    d_.rssiLevel = "---- dBm";
    d_.fwdPwr = d_.revPwr = "---- W";
    d_.preambleGood = d_.preambleTotal = d_.preambleDcd = "----";
}

void OfflineDiagDialogue::FillStatsList(int k) {
    const StationEntry& st = stations_[static_cast<std::size_t>(k)];
    const int remembered = d_.statsSelected;
    d_.statsList.clear();
    for (int i = 0; i < st.statsCount; ++i) {
        const RemoteStatsEntry& e = st.stats[static_cast<std::size_t>(i)];
        if (e.remoteId == -1) continue;
        d_.statsList.emplace_back(MarkedShortIdText(e.idTruncated != 0, e.remoteId), i);
    }
    const int n = static_cast<int>(d_.statsList.size());
    int sel = 0;
    if (n > 0) {
        sel = (remembered >= 0 && remembered < n) ? remembered : 0;
    } else {
        d_.statsList.emplace_back("----", 0);
    }
    const int e = d_.statsList[static_cast<std::size_t>(sel)].second;
    if (e >= 0) ShowRemoteStats(st.stats[static_cast<std::size_t>(e)]);
    selectEventsOn_ = false;
    d_.statsSelected = sel;
    selectEventsOn_ = true;
}

void OfflineDiagDialogue::ShowRemoteStats(const RemoteStatsEntry& e) {
    if (e.idTruncated == 0 && e.rssi == 0 && e.temperature == 0 && e.battery == 0 && e.forwardPower == 0 &&
        e.reversePower == 0) {
        ClearStatsLabels();  // the list just filled stays
        return;
    }
    const LocaleInfo& loc = files_.locale;
    d_.idTruncated = e.idTruncated == -1 ? "----" : e.idTruncated != 0 ? "Yes" : "No";
    d_.statsRssi = e.rssi == -1 ? "---- dBm" : FormatNegativeDbm(e.rssi);
    d_.statsTemp = e.temperature == -1 ? "---- C" : FormatTemperatureC(e.temperature);
    d_.statsBatt = e.battery == -1 ? "---- V" : FormatBatteryVolts(e.battery, loc);
    d_.statsFwdPwr = e.forwardPower == -1 ? "---- W" : FormatTenthsWatts(e.forwardPower, loc);
    d_.statsRevPwr = e.reversePower == -1 ? "---- W" : FormatTenthsWatts(e.reversePower, loc);
}

void OfflineDiagDialogue::ClearStatsLabels() {
    d_.idTruncated = "----";
    d_.statsRssi = "---- dBm";
    d_.statsTemp = "---- C";
    d_.statsBatt = "---- V";
    d_.statsFwdPwr = d_.statsRevPwr = "---- W";
}

void OfflineDiagDialogue::ClearStatsDisplay() {
    d_.statsList.clear();
    d_.statsSelected = -1;
    ClearStatsLabels();
}

// ---- small controls ----

void OfflineDiagDialogue::SetLocal(bool local) {
    d_.optionLocal = local;
    ShowSelectedStation();
}

void OfflineDiagDialogue::SetRemoteList(bool list) {
    d_.optionRemoteList = list;
    Changed();
}

void OfflineDiagDialogue::SelectRemote(int index) {
    if (index < 0 || index >= remoteCount()) return;
    d_.remoteSelected = index;
    d_.remoteText = d_.remoteIds[static_cast<std::size_t>(index)];
    ShowSelectedStation();
}

void OfflineDiagDialogue::TypeRemote(const std::string& text) {
    d_.remoteText = text;
    d_.remoteSelected = -1;
    for (int i = 0; i < remoteCount(); ++i)
        if (d_.remoteIds[static_cast<std::size_t>(i)] == text) d_.remoteSelected = i;
}

void OfflineDiagDialogue::SelectDiagSet(int index) {
    d_.diagSelect = std::clamp(index, 0, 2);
    ShowSelectedStation();
}

void OfflineDiagDialogue::SelectStatsEntry(int index) {
    if (index < 0 || index >= static_cast<int>(d_.statsList.size())) return;
    d_.statsSelected = index;
    ShowSelectedStation();
}

void OfflineDiagDialogue::SelectChannel(int index) { d_.channelIndex = std::clamp(index, 0, 7); }

void OfflineDiagDialogue::SetTxTime(int seconds) { d_.txTime = std::clamp(seconds, 1, 60); }

// ---- save file ----

std::string OfflineDiagDialogue::SaveHeader() {
    return "        ID  Mast RSSI  Batt V  Ana V  Temp C   Loc RSSI  Fwd W  Rev W   GoodCount  TotalCount    DCDCount";
}

std::string OfflineDiagDialogue::FormatStationLine(int k) const {
    const StationEntry& st = stations_[static_cast<std::size_t>(k)];
    const auto& v = st.diagnostics.sets[0].values;
    const LocaleInfo& dot = DotLocale();
    const std::string fields[11] = {
        std::to_string(st.stationId),
        st.masterRssi < 30 ? "---- dBm" : FormatNegativeDbm(st.masterRssi),
        FormatBatteryVolts(v[2], dot),
        v[5] == -1 ? "----" : FormatAnalogVccVolts(v[5], dot),
        FormatTemperatureC(v[6]),
        FormatNegativeDbm(v[7]),
        FormatTenthsWatts(v[8], dot),
        FormatTenthsWatts(v[9], dot),
        WholeText(st.diagnostics.goodCount),
        WholeText(st.diagnostics.totalCount),
        WholeText(st.diagnostics.dcdCount),
    };
    static constexpr std::size_t kWidths[11] = {10, 10, 9, 7, 8, 10, 8, 7, 12, 12, 12};
    std::string line;
    for (int i = 0; i < 11; ++i) line += RightAligned(fields[i], kWidths[i]);
    return line;
}

void OfflineDiagDialogue::SaveClicked() {
    Dialogs& dialogs = *services_.dialogs;
    const auto chosen = ChooseDiagnosticsFile(dialogs, settings_.offlineDiagsFile, files_.places.programFolder);
    const bool any = std::any_of(stations_.begin(), stations_.end(), [](const StationEntry& s) { return s.diagValid; });
    if (chosen && !any) dialogs.messageBox("There is no List of Offline Diagnostics to save yet!");
    if (chosen && any) {
        if (const auto mode = AskSaveMode(dialogs, *chosen, OfflineExistsQuestion(*chosen))) {
            std::ofstream out(*chosen, std::ios::binary | (*mode == SaveMode::Append ? std::ios::app : std::ios::trunc));
            out << OnlineTimeText(services_.scheduler->wallClockSeconds()) << "\r\n" << SaveHeader() << "\r\n";
            const int n = static_cast<int>(stations_.size());
            for (int k = 0; k < n; ++k) {
                if (!stations_[static_cast<std::size_t>(k)].diagValid) continue;
                out << FormatStationLine(k) << "\r\n";
                if (n > 1) d_.progress = 100 * k / (n - 1);
            }
            out << "\r\n";
            out.close();
            if (!out)
                dialogs.messageBox("Could not write " + *chosen, kSaveDiagsTitle, MsgButtons::OK, MsgIcon::Exclamation);
        }
    }
    d_.progress = 0;
    Changed();
}

}  // namespace k45
