#include "production/eng_remote.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "base/converters.h"
#include "base/utilities.h"
#include "platform/dialogs.h"
#include "platform/locale_info.h"
#include "production/eng_test.h"
#include "production/panel_support.h"

namespace k45 {

namespace {

struct Word {
    std::string text;
    std::size_t at;  // where it starts in the command text
};

std::vector<Word> Words(const std::string& text) {
    std::vector<Word> words;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t blank = text.find(' ', at);
        const std::size_t end = blank == std::string::npos ? text.size() : blank;
        if (end > at) words.push_back({text.substr(at, end - at), at});
        if (blank == std::string::npos) break;
        at = blank + 1;
    }
    return words;
}

// A whole signed decimal number in 16 bits, blanks around it allowed; anything else reads as 0.
std::int32_t Int16Of(const std::string& s) {
    const std::size_t from = s.find_first_not_of(' ');
    if (from == std::string::npos) return 0;
    const std::size_t to = s.find_last_not_of(' ') + 1;
    const char* first = s.data() + from;
    const char* last = s.data() + to;
    if (*first == '+') ++first;
    std::int32_t v = 0;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || first == last || v < -32768 || v > 32767) return 0;
    return v;
}

}  // namespace

RemoteCommand ParseRemoteCommand(const std::string& text, const LocaleInfo& locale) {
    RemoteCommand c;
    const std::vector<Word> w = Words(text);
    for (std::size_t i = 0; i < w.size(); ++i) {
        const std::string& word = w[i].text;
        if (word.starts_with("App=")) {
            if (!c.app) c.app = word.substr(4);
        } else if (word.starts_with("Topic=")) {
            if (!c.topic) c.topic = word.substr(6);
        } else if (word.starts_with("Item=")) {
            if (!c.item) c.item = word.substr(5);
        } else if (word.starts_with("Freq=")) {
            if (!c.freqHz) c.freqHz = MHzTextToHz(word.substr(5), locale).value_or(0);
        } else if (word.starts_with("Adjust")) {
            if (c.adjust) continue;
            // The index is what stands between "Adjust" and "=", the value runs from the "=" to
            // the next blank. Without an "=" there is no adjust.
            const std::size_t from = w[i].at + 6;
            const std::size_t eq = text.find('=', from);
            if (eq == std::string::npos) continue;
            const std::size_t valueEnd = text.find(' ', eq + 1);
            const std::string value = text.substr(eq + 1, valueEnd == std::string::npos ? valueEnd : valueEnd - eq - 1);
            c.adjust = std::make_pair(static_cast<int>(Int16Of(text.substr(from, eq - from))), Int16Of(value));
        } else if (word == "TXON") {
            if (c.txOnMode) continue;
            // The one character after the blank that ends the keyword.
            const std::size_t at = w[i].at + 5;
            c.txOnMode = at < text.size() && text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : 0;
        } else if (word == "TXOFF") {
            c.txOff = true;
        } else if (word == "RSSI") {
            c.rssi = true;
        } else if (word == "AS") {
            c.status = true;
        }
    }
    return c;
}

EngRemoteControl::EngRemoteControl(EngTestDialogue& panel, const DialogueLinks& links, EngRemoteView& view)
    : panel_(panel), links_(links), view_(view) {
    panel_.controllerF8 = [this] {
        if (!ticked_ || !linked()) return false;
        PublishReply("Freq=" + panel_.rxText());
        return true;
    };
}

EngRemoteControl::~EngRemoteControl() {
    panel_.controllerF8 = nullptr;
    Stop();
}

bool EngRemoteControl::Start(std::string* error) {
    LocalLinks* local = links_.services.localLinks;
    if (!local) return false;
    if (server_ && server_->listening()) return true;
    server_ = local->createServer(kOurLinkApplication, kEngTestTopic);
    server_->onExecute = [this](int id, const std::string& command) {
        if (std::find(partnerConnections_.begin(), partnerConnections_.end(), id) == partnerConnections_.end())
            partnerConnections_.push_back(id);
        view_.SetDestination(command);
        DestinationChanged(command);
    };
    // Only a partner's conversation ends the link; a connection that never sent a command
    // (one dropped for a malformed message, say) changes nothing.
    server_->onClosed = [this](int id) {
        const auto it = std::find(partnerConnections_.begin(), partnerConnections_.end(), id);
        if (it == partnerConnections_.end()) return;
        partnerConnections_.erase(it);
        LinkClosed();
    };
    if (!server_->listen(error)) {
        server_.reset();
        return false;
    }
    server_->setItemValue(kReplyItem, lastReply_);
    return true;
}

void EngRemoteControl::Stop() {
    DropClient();
    if (server_) server_->stop();
    server_.reset();
    partnerConnections_.clear();
    ticked_ = false;
}

void EngRemoteControl::DropClient() {
    if (client_) client_->close();
    client_.reset();
    linkApp_.clear();
}

bool EngRemoteControl::ConnectClient(const std::string& app, const std::string& topic, const std::string& item,
                                     std::string* error) {
    LocalLinks* local = links_.services.localLinks;
    if (!local) return false;
    client_ = local->createClient();
    client_->onData = [this](const std::string&, const std::string& value) {
        view_.SetDestination(value);
        DestinationChanged(value);
    };
    client_->onClosed = [this] { LinkClosed(); };
    linkApp_ = app;
    if (!client_->connect(app, topic, error) || !client_->advise(item)) return false;
    return true;
}

void EngRemoteControl::DdeEnableClicked(bool ticked) {
    ticked_ = ticked;
    if (!ticked) {
        DropClient();
        return;
    }
    std::string error;
    if (!ConnectClient(kControllerPartner, kEngTestTopic, kReplyItem, &error)) {
        ShowLinkFailure(kControllerPartner, error);
        return;
    }
    panel_.SetPollInterval(1000);
    client_->execute(std::string("App=") + kOurLinkApplication + " Topic=" + kEngTestTopic + " Item=" + kReplyItem);
    view_.SetLinkStatus(std::string("App=") + kControllerPartner + " Topic=" + kEngTestTopic + " Item=" + kReplyItem);
}

void EngRemoteControl::LinkBackToPeer() {
    if (linked() || peerApp_.empty() || peerTopic_.empty() || peerItem_.empty()) return;
    std::string error;
    if (!ConnectClient(peerApp_, peerTopic_, peerItem_, &error)) {
        ShowLinkFailure(peerApp_, error);
        return;
    }
    view_.SetLinkStatus("App=" + peerApp_ + " Topic=" + peerTopic_ + " Item=" + peerItem_);
}

void EngRemoteControl::PublishReply(const std::string& text) {
    if (!linked()) return;
    if (server_) {
        // A repeated reply still reaches the partner as a change.
        if (text == lastReply_) server_->setItemValue(kReplyItem, "");
        server_->setItemValue(kReplyItem, text);
    }
    lastReply_ = text;
    view_.SetSource(text);
}

void EngRemoteControl::ShowLinkFailure(const std::string& app, const std::string& error) {
    DropClient();
    if (ticked_) {
        ticked_ = false;
        view_.ClearDdeEnable();
    }
    if (Dialogs* dialogs = links_.dialogs())
        dialogs->messageBox("Unable to Connect to " + app + "!\n" + error, "", MsgButtons::OK, MsgIcon::None);
}

void EngRemoteControl::LinkClosed() {
    peerApp_.clear();
    peerTopic_.clear();
    peerItem_.clear();
    DropClient();
    view_.SetLinkStatus("Link Closed!!!");
    if (ticked_) {
        ticked_ = false;
        view_.ClearDdeEnable();
    }
}

void EngRemoteControl::DestinationChanged(const std::string& text) {
    if (ticked_) return;
    Interpret(text);
}

void EngRemoteControl::Interpret(const std::string& text) {
    const RemoteCommand c = ParseRemoteCommand(text + " ", links_.files.locale);
    if (c.app) peerApp_ = *c.app;
    if (c.topic) peerTopic_ = *c.topic;
    if (c.item) peerItem_ = *c.item;
    if (c.app || c.topic || c.item) LinkBackToPeer();
    if (c.txOnMode) {
        const int mode = *c.txOnMode <= txNoModulation ? *c.txOnMode : txTone;
        view_.SelectTransmitMode(mode);
        panel_.TransmitModeChanged(mode);
    }
    if (c.freqHz) {
        panel_.SetBothFrequencies(*c.freqHz);
        panel_.KeyDown(keyF8, 256);
        PublishReply("OK Freq");
    }
    if (c.adjust) {
        // An index without an entry, or a value the panel does not take, still gets its reply.
        (void)panel_.RemoteAdjust(c.adjust->first, c.adjust->second);
        PublishReply("OK Adjust");
    }
    if (c.txOnMode) {
        panel_.KeyDown(keyF5, 256);
        PublishReply("OK Tx");
    }
    if (c.txOff) {
        panel_.KeyDown(keyF6, 256);
        PublishReply("OK Rx");
    }
    if (!linked()) return;
    if (c.rssi) panel_.RequestStatus("RSSI");
    else if (c.status) panel_.RequestStatus("AS");
}

}  // namespace k45
