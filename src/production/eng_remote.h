#pragma once
// The engineer test panel's remote control over a local link. As a responder (box clear) the
// panel offers the topic "EngTest" under the application "K45MR": a partner executes commands
// (App=, Topic=, Item=, Freq=, Adjust n=v, TXON m, TXOFF, RSSI, AS), the panel links back to
// the partner's item and publishes its replies on its item "labelDdeSrc". As a controller
// (box ticked) it links to the partner "Marvessa" and hands it the Rx frequency with F8.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wiring/dialogue_links.h"
#include "platform/local_link.h"

namespace k45 {

class Dialogs;
class EngTestDialogue;
struct LocaleInfo;

inline constexpr const char* kOurLinkApplication = "K45MR";
inline constexpr const char* kEngTestTopic = "EngTest";
inline constexpr const char* kReplyItem = "labelDdeSrc";
inline constexpr const char* kControllerPartner = "Marvessa";

// One command text taken apart. Keywords are whole words; each is taken at its first
// occurrence; a value ends at the next blank ("Adjust" may have blanks before its index). A
// number that does not parse reads as 0, as the partner's own conversion does: an adjust index
// or value that is no whole number in 16 bits, a transmit mode that is not a digit, a frequency
// that is no number or whose Hz do not fit 32 bits. A command is never refused, so the partner
// always gets its reply.
struct RemoteCommand {
    std::optional<std::string> app, topic, item;
    std::optional<std::int32_t> freqHz;
    std::optional<std::pair<int, std::int32_t>> adjust;  // n, v
    std::optional<int> txOnMode;
    bool txOff = false;
    bool rssi = false;
    bool status = false;  // "AS"
};
RemoteCommand ParseRemoteCommand(const std::string& text, const LocaleInfo& locale);

class EngRemoteView {
public:
    virtual ~EngRemoteView() = default;
    virtual void SetDestination(const std::string& text) = 0;  // labelDdeDst
    virtual void SetSource(const std::string& text) = 0;       // labelDdeSrc
    virtual void SetLinkStatus(const std::string& text) = 0;   // labelTest
    // Clears checkDdeEnable without running its handler.
    virtual void ClearDdeEnable() = 0;
    // Selects the transmit mode's entry without running its handler.
    virtual void SelectTransmitMode(int mode) = 0;
};

class EngRemoteControl {
public:
    // The topic is offered on the program's local links (none: no remote control).
    EngRemoteControl(EngTestDialogue& panel, const DialogueLinks& links, EngRemoteView& view);
    ~EngRemoteControl();

    // The window loads: the topic is offered. False with the reason when it cannot be.
    bool Start(std::string* error);
    // The window unloads: its conversations end (the names and last reply stay).
    void Stop();

    void DdeEnableClicked(bool ticked);
    // A new caption of the destination label: an executed command or the partner's item.
    void DestinationChanged(const std::string& text);

    bool controlling() const { return ticked_; }
    bool linked() const { return client_ && client_->connected(); }
    const std::string& peerApp() const { return peerApp_; }

private:
    void LinkBackToPeer();
    void PublishReply(const std::string& text);
    void ShowLinkFailure(const std::string& app, const std::string& error);
    void LinkClosed();
    bool ConnectClient(const std::string& app, const std::string& topic, const std::string& item, std::string* error);
    void DropClient();
    void Interpret(const std::string& text);

    EngTestDialogue& panel_;
    DialogueLinks links_;
    EngRemoteView& view_;
    std::unique_ptr<LinkServer> server_;
    std::unique_ptr<LinkClient> client_;
    bool ticked_ = false;
    std::string linkApp_;  // the application the client is linked to
    std::string peerApp_, peerTopic_, peerItem_;
    std::string lastReply_;
    std::vector<int> partnerConnections_;  // connections that sent a command
};

}  // namespace k45
