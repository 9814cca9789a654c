#include "tools/terminal_core.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/hex_text.h"
#include "platform/dialogs.h"
#include "platform/local_link.h"
#include "serial/class_comm.h"
#include "serial/srecord_codec.h"
#include "serial/sync_esc_codec.h"

namespace k45 {

namespace {

constexpr char kCrLf[] = "\r\n";
constexpr std::size_t kSendBufferSize = 32769;

// The mode an ASCII terminal sends in, for the port's configured mode.
std::int32_t AsciiSendMode(std::int32_t m) {
    switch (m) {
        case 0: return 1;
        case 2: return 3;
        case 4: return 5;
        case 9:
        case 11: return 7;
        case 8:
        case 10:
        case 12: return 8;
        default: return m;
    }
}

std::string FunctionColumn(int code) {
    switch (code) {
        case 6: return "A ";
        case 21: return "N ";
        case 19: return "W ";
        case 5: return "E ";
        default: return std::string(1, static_cast<char>(code & 0xFF)) + " ";
    }
}

// The text after a key up to the next blank, when the key occurs (first occurrence, exact case).
bool TakeKey(const std::string& t, const char* key, std::string& value) {
    const auto at = t.find(key);
    if (at == std::string::npos) return false;
    const auto from = at + std::char_traits<char>::length(key);
    const auto blank = t.find(' ', from);
    value = t.substr(from, blank == std::string::npos ? std::string::npos : blank - from);
    return true;
}

}  // namespace

TerminalKindInfo TerminalKindEntry(std::int32_t kind) {
    switch (kind) {
        case terminalTextSecondary: return {"Secondary ASCII Terminal", true, false, "Secondary"};
        case terminalHexPrimary: return {"Primary Hex Terminal", false, true, "Primary"};
        case terminalHexSecondary: return {"Secondary Hex Terminal", false, false, "Secondary"};
        default: return {"Primary ASCII Terminal", true, true, "Primary"};
    }
}

TerminalCore::TerminalCore(DialogueLinks links, std::int32_t kind, TerminalCounters& counters)
    : kind_(kind),
      info_(TerminalKindEntry(kind)),
      port_(info_.primaryPort ? *links.ports.classCommPrimary : *links.ports.classCommSecondary),
      counters_(counters),
      flags_(links.modes),
      dialogs_(*links.services.dialogs),
      links_(links.services.localLinks) {}

TerminalCore::~TerminalCore() { Unload(); }

bool TerminalCore::offersDmpAndSRecord() const { return info_.isAscii && flags_.productionMode; }
bool TerminalCore::offersPacketNumbers() const { return info_.isAscii || flags_.productionMode; }
bool TerminalCore::offersDde() const { return info_.isAscii && flags_.productionMode && flags_.debugTest; }

std::string TerminalCore::linkTopic() const { return std::string(kTerminalTopic) + info_.topicSuffix; }

bool TerminalCore::destinationLinked() const { return destination_ && destination_->connected(); }

void TerminalCore::Load(TerminalView& view) {
    view_ = &view;
    counters_.terminalRxCount = 0;
    counters_.terminalTxCount = 0;
    pause_ = packetNumbers_ = dmpTest_ = sRecordTest_ = ddeEnable_ = false;
    ddeApp_.clear();
    ddeTopic_.clear();
    ddeItem_.clear();
    lastDdeText_.clear();
    keysFrom_ = 0;
    port_.RegisterForRawData(this);
    if (links_) {
        source_ = links_->createServer(kLinkApplication, linkTopic());
        source_->onExecute = [this](int id, const std::string& command) { LinkExecute(command, id); };
        source_->onClosed = [this](int id) { SourceConnectionClosed(id); };
        std::string error;
        // Another running copy of the program may offer this topic already; the terminal then
        // works without being a link source.
        if (!source_->listen(&error)) source_.reset();
    }
}

void TerminalCore::Abandon() {
    view_ = nullptr;
    if (source_) {
        source_->onExecute = nullptr;
        source_->onClosed = nullptr;
        source_->stop();
        source_.reset();
    }
    UnlinkDestination();
}

void TerminalCore::Unload() {
    if (!view_) return;
    port_.DeRegisterForAll(this);
    Abandon();
}

void TerminalCore::Activate() {
    if (!view_) return;
    if (dmpTest_) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.OverrideHandshaking(8);
        (void)port_.OverrideSettings({.baudRate = port_.settings().dmpBaudRate});
        sRecordTest_ = false;
        view_->SetSRecordTestChecked(false);
    } else if (sRecordTest_) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.OverrideHandshaking(7);
        (void)port_.RestoreSettings();
        dmpTest_ = false;
        view_->SetDmpTestChecked(false);
    } else {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.RestoreHandshaking();
        (void)port_.RestoreSettings();
    }
}

bool TerminalCore::DmpTestClicked(bool ticked) {
    if (!view_) return false;
    if (ticked && sRecordTest_) return dmpTest_ = false;
    if (ticked == dmpTest_) return dmpTest_;
    dmpTest_ = ticked;
    port_.DeRegisterForAll(this);
    if (ticked) {
        port_.RegisterForDmpData(this);
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.OverrideHandshaking(8);
        (void)port_.OverrideSettings({.baudRate = port_.settings().dmpBaudRate});
    } else {
        port_.RegisterForRawData(this);
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.RestoreHandshaking();
        (void)port_.RestoreSettings();
    }
    view_->ShowDmpColumn(ticked);
    return dmpTest_;
}

bool TerminalCore::SRecordTestClicked(bool ticked) {
    if (!view_) return false;
    if (ticked && dmpTest_) return sRecordTest_ = false;
    if (ticked == sRecordTest_) return sRecordTest_;
    sRecordTest_ = ticked;
    port_.DeRegisterForAll(this);
    if (ticked) {
        port_.RegisterForSRecord(this);
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.OverrideHandshaking(7);
    } else {
        port_.RegisterForRawData(this);
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_.RestoreHandshaking();
    }
    return sRecordTest_;
}

std::string TerminalCore::F12Text() const {
    if (!flags_.engineerMode) return {};
    std::string text;
    const int times = flags_.debugTest ? 512 : 1;
    text.reserve(kHexTestPattern.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) text += kHexTestPattern;
    return text;
}

// ---- receive ----

void TerminalCore::Show(const RxText& text) {
    if (view_) view_->AppendRx(text);
}

void TerminalCore::RxRawData(const std::string& rxStr) {
    if (pause_ || rxStr.empty()) return;
    Show(RenderRawData(info_.isAscii, rxStr));
}

void TerminalCore::RxCrLfData(const std::string& rxStr) {
    if (pause_) return;
    Show(RenderCrLfData(info_.isAscii, rxStr));
}

void TerminalCore::RxDecodedData(std::uint16_t rxOpCode, std::int16_t rxLength,
                                 std::span<const std::uint8_t> rxData) {
    if (pause_) return;
    Show(RenderDecodedData(info_.isAscii, rxOpCode, rxLength, rxData));
}

void TerminalCore::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (pause_ || rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return;
    Show(RenderSRecord(port_.tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)]));
}

void TerminalCore::RxDmpData(std::int16_t rxDmpIndex) {
    if (pause_ || rxDmpIndex < 0 || rxDmpIndex >= kRxTableSlots) return;
    const auto text = RenderDmp(info_.isAscii, packetNumbers_,
                                port_.tables().rxDmpMessages[static_cast<std::size_t>(rxDmpIndex)],
                                counters_.terminalRxCount);
    if (text) Show(*text);
}

void TerminalCore::RxSpecial(const std::string& rxStr) {
    if (pause_) return;
    // Trimmed like every other append, so the marks cannot grow the box without bound.
    Show({RxAppendKind::text, rxStr});
}

// ---- send ----

void TerminalCore::SendTxData() {
    if (!view_) return;
    const std::string t = view_->TxEntryText();
    if (destinationLinked()) {
        if (ddeEnable_) {
            ForwardByDde(t);
            return;
        }
        if (t.empty()) return;
    }
    if (info_.isAscii) SendAscii(t);
    else SendHex(t);
}

void TerminalCore::SendAscii(const std::string& entry) {
    const std::int32_t m = dmpTest_ ? 8 : AsciiSendMode(port_.settings().txModeValue);
    std::string t = entry;
    if (m == 8) {
        const std::uint32_t station = view_->DmpStation();
        const int device = view_->DmpDevice();
        const int function = view_->DmpFunction();
        if (const auto frame = port_.MessDmp(t, station, function, device)) port_.SendString(*frame, 8);
        std::string echo = kCrLf;
        echo += PaddedUnit(station) + " " + std::to_string(device) + " " + FunctionColumn(function);
        echo += t;
        view_->AppendTx(echo, false);
        return;
    }
    if (m == 7) {
        const std::int32_t address = HexToWord(t.substr(0, std::min<std::size_t>(4, t.size())));
        std::vector<std::int16_t> bytes;
        for (std::size_t i = 4; i < t.size(); i += 2) bytes.push_back(HexToByte(t.substr(i, 2)));
        // One record's count byte cannot hold the line; the operator learns why nothing went
        // out instead of seeing the line vanish. A record whose data run past FFFF takes a
        // 3-byte address and one data byte less.
        const std::size_t count = bytes.size();
        const std::size_t most = static_cast<std::size_t>(
            address + static_cast<std::int64_t>(count) > 65535 ? kSRecordMaxData24 : kSRecordMaxData16);
        if (count > most) {
            dialogs_.messageBox("Nothing was sent: one S-record carries at most " + std::to_string(most) +
                                    " data bytes after its address; the line holds " + std::to_string(count) + ".",
                                info_.caption, MsgButtons::OK, MsgIcon::Exclamation);
            return;
        }
        const auto body = port_.MessSRecord(address, bytes);
        const std::string record = body ? "S1" + *body : std::string();
        if (!record.empty()) {
            port_.SendString(record + kCrLf, 7);
            view_->AppendTx(kCrLf + record, false);
        }
        return;
    }
    if (packetNumbers_) {
        t = ThreeDigits(counters_.terminalTxCount) + " " + t;
        counters_.terminalTxCount = static_cast<std::int16_t>((counters_.terminalTxCount + 1) % 1000);
    }
    port_.SendString(t + kCrLf, m);
    if (!t.empty()) view_->AppendTx(kCrLf + t, false);
}

void TerminalCore::SendHex(const std::string& t) {
    if (t.empty()) return;
    const std::int32_t m = dmpTest_ ? 8 : port_.settings().txModeValue;
    std::vector<std::int16_t> bytes(kSendBufferSize, 0);
    const int parsed = ParseHexBytes(bytes, t, 0);
    const int k = std::min<int>(parsed, static_cast<int>(kSendBufferSize));
    if (k <= 0) return;
    std::size_t sent = 0;
    if (m == 0 || m == 2 || m == 4) {
        const int most = MaxSyncEscMessageLength(SyncEscSettings{
            .syncChar = port_.settings().syncChar,
            .escChar = port_.settings().escChar,
            .dataBits = port_.GetWorkingSettings().dataBits > 0 ? port_.GetWorkingSettings().dataBits
                                                                : port_.settings().portSettings.dataBits,
            .extendedLength = port_.GetExtendedLengthMode()});
        if (k > most) {
            // One frame's length field cannot count the line; the operator learns why nothing
            // went out instead of seeing the line vanish.
            dialogs_.messageBox("Nothing was sent: one frame carries at most " + std::to_string(most) +
                                    " bytes (the opcode and its data); the line holds " + std::to_string(k) + ".",
                                info_.caption, MsgButtons::OK, MsgIcon::Exclamation);
            return;
        }
        if (const auto frame = port_.MessSyncEsc(std::span<const std::int16_t>(bytes.data(), static_cast<std::size_t>(k)))) {
            port_.SendString(*frame, m);
            sent = frame->size();
        }
    } else {
        if (packetNumbers_) {
            for (int i = 0; i < k; i += 16) {
                bytes[static_cast<std::size_t>(i)] = counters_.terminalTxCount;
                counters_.terminalTxCount = static_cast<std::int16_t>((counters_.terminalTxCount + 1) & 255);
            }
        }
        port_.SendBuffer(bytes.data(), k, m);
        sent = static_cast<std::size_t>(k);
    }
    if (sent != 0) view_->AppendTx(kCrLf + t, true);
}

// ---- link ----

bool TerminalCore::DdeClicked(bool ticked) {
    ddeEnable_ = ticked;
    if (!ticked) {
        UnlinkDestination();
        return false;
    }
    // The partner not answering leaves the switch ticked and nothing linked.
    if (!LinkDestination(kTerminalPartnerApplication, kTerminalTopic, kTerminalItem)) return true;
    destination_->execute(std::string("App=") + kLinkApplication + " Topic=" + linkTopic() + " Item=" + kTerminalItem);
    return true;
}

void TerminalCore::ForwardByDde(const std::string& text) {
    if (!destinationLinked() || !source_) return;
    if (text == lastDdeText_) source_->setItemValue(kTerminalItem, "");
    lastDdeText_ = text;
    source_->setItemValue(kTerminalItem, text);
}

void TerminalCore::LinkExecute(const std::string& command, int connectionId) {
    // Link commands come only this way and are never sent on the line.
    const std::string t = command + " ";
    bool any = false;
    any |= TakeKey(t, "App=", ddeApp_);
    any |= TakeKey(t, "Topic=", ddeTopic_);
    any |= TakeKey(t, "Item=", ddeItem_);
    if (any) keysFrom_ = connectionId;
    if (any && !ddeEnable_) LinkDdeDestination();
}

void TerminalCore::SourceConnectionClosed(int connectionId) {
    const bool partner = destinationLinked() && partnerProcess_ != 0 && source_ &&
                         source_->peerProcess(connectionId) == partnerProcess_;
    if (partner) {
        LinkClosed();
        return;
    }
    // Keys that linked nothing go with the conversation that sent them.
    if (connectionId == keysFrom_ && !destinationLinked()) {
        ddeApp_.clear();
        ddeTopic_.clear();
        ddeItem_.clear();
        keysFrom_ = 0;
    }
}

int TerminalCore::sourceConnections() const { return source_ ? source_->connectionCount() : 0; }

void TerminalCore::DestinationChanged(const std::string& value) {
    if (ddeEnable_ || !view_) return;
    // The partner's item values are data: shown in the entry line and sent on the line like a
    // typed line, whatever they hold. Link commands are taken from the execute channel only.
    view_->SetTxEntryText(value);
    SendTxData();
}

void TerminalCore::LinkDdeDestination() {
    if (destinationLinked() || ddeApp_.empty() || ddeTopic_.empty() || ddeItem_.empty()) return;
    LinkDestination(ddeApp_, ddeTopic_, ddeItem_);
}

bool TerminalCore::LinkDestination(const std::string& app, const std::string& topic, const std::string& item) {
    if (!links_) return false;
    UnlinkDestination();
    destination_ = links_->createClient();
    destination_->onData = [this](const std::string&, const std::string& value) { DestinationChanged(value); };
    // The client object stays until it is replaced: it is inside its own callback here.
    destination_->onClosed = [this] { LinkClosed(false); };
    std::string error;
    if (!destination_->connect(app, topic, &error)) {
        destination_.reset();
        return false;
    }
    partnerProcess_ = destination_->peerProcess();
    destination_->advise(item);
    return true;
}

void TerminalCore::UnlinkDestination() {
    partnerProcess_ = 0;
    if (!destination_) return;
    destination_->onData = nullptr;
    destination_->onClosed = nullptr;
    destination_->close();
    destination_.reset();
}

void TerminalCore::LinkClosed(bool dropDestination) {
    ddeApp_.clear();
    ddeTopic_.clear();
    ddeItem_.clear();
    keysFrom_ = 0;
    partnerProcess_ = 0;
    if (dropDestination) UnlinkDestination();
    if (ddeEnable_) {
        ddeEnable_ = false;
        if (view_) view_->SetDdeChecked(false);
    }
}

}  // namespace k45
