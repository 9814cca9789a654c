#pragma once
// The logic of a terminal window (ASCII or hex, primary or secondary port): what it shows of
// received data, how it frames and sends the entry line, its DMP and S-record test switches,
// and its link to a partner program. The window holds the controls and implements
// TerminalView; this class holds the rules and talks to the port object and the link layer.
#include <cstdint>
#include <memory>
#include <string>

#include "wiring/dialogue_links.h"
#include "serial/comm_form.h"
#include "tools/terminal_render.h"

namespace k45 {

class classComm;
class Dialogs;
class LinkClient;
class LinkServer;
class LocalLinks;

// Kinds of terminal (thisFormType). Only the four serial kinds are built.
enum TerminalKind : std::int32_t {
    terminalTextPrimary = 0,
    terminalTextSecondary = 1,
    terminalHexPrimary = 4,
    terminalHexSecondary = 5,
};

struct TerminalKindInfo {
    const char* caption;
    bool isAscii;
    bool primaryPort;
    const char* topicSuffix;
};
TerminalKindInfo TerminalKindEntry(std::int32_t kind);

// The two counters the four terminals share (the line numbers of received DMP lines and of
// sent lines).
struct TerminalCounters {
    std::int16_t terminalRxCount = 0;
    std::int16_t terminalTxCount = 0;
};

// Our application name on links, and the partner the "DDE" switch links to.
inline constexpr char kLinkApplication[] = "K45MR";
inline constexpr char kTerminalPartnerApplication[] = "Quendix";
inline constexpr char kTerminalTopic[] = "EngTerminal";
inline constexpr char kTerminalItem[] = "labelDdeSrc";

class TerminalView {
public:
    virtual ~TerminalView() = default;
    // Receive box: appends with the limit check (trimming the front block when due).
    virtual void AppendRx(const RxText& text) = 0;
    // Echo box.
    virtual void AppendTx(const std::string& text, bool hex) = 0;
    virtual std::string TxEntryText() const = 0;
    virtual void SetTxEntryText(const std::string& text) = 0;
    // The DMP fields: station number, device digit, function letter code.
    virtual std::uint32_t DmpStation() const = 0;
    virtual int DmpDevice() const = 0;
    virtual int DmpFunction() const = 0;
    // The DMP column shown or hidden (the window grows or shrinks with it).
    virtual void ShowDmpColumn(bool shown) = 0;
    // Switch states set back by the rules (without running their handlers again).
    virtual void SetDmpTestChecked(bool on) = 0;
    virtual void SetSRecordTestChecked(bool on) = 0;
    virtual void SetDdeChecked(bool on) = 0;
};

class TerminalCore : public CommForm {
public:
    // The terminal's port object and the dialogs are in their slots already (the window makes
    // its terminal at a load: start-up creates the ports after the windows).
    TerminalCore(DialogueLinks links, std::int32_t kind, TerminalCounters& counters);
    ~TerminalCore() override;

    std::int32_t kind() const { return kind_; }
    bool isAscii() const { return info_.isAscii; }
    const char* caption() const { return info_.caption; }
    classComm& port() { return port_; }
    // Which switches the window offers: "S-Record Test" and "DMP Test", "Packet #'s", "&DDE".
    bool offersDmpAndSRecord() const;
    bool offersPacketNumbers() const;
    bool offersDde() const;
    int maxEntryLength() const { return info_.isAscii ? 16384 : 24576; }

    // Load and unload of the window; Activate on every activation and after Swap Comm Ports.
    void Load(TerminalView& view);
    void Unload();
    void Activate();
    bool loaded() const { return view_ != nullptr; }
    // Lets the window go without touching the port object, which the program has already
    // taken down.
    void Abandon();

    // Switches. Each returns the switch's state after the rules (a refused tick is cleared).
    bool DmpTestClicked(bool ticked);
    bool SRecordTestClicked(bool ticked);
    bool DdeClicked(bool ticked);
    void SetPause(bool on) { pause_ = on; }
    void SetPacketNumbers(bool on) { packetNumbers_ = on; }
    bool dmpTest() const { return dmpTest_; }
    bool ddeEnabled() const { return ddeEnable_; }

    // Buttons and keys.
    void SendTxData();
    void ClearRx() { counters_.terminalRxCount = 0; }
    void ClearTx() { counters_.terminalTxCount = 0; }
    // F12: the text to add to the entry line (empty outside engineering mode).
    std::string F12Text() const;

    // Marker text written by the array test.
    void RxSpecial(const std::string& rxStr);

    // CommForm
    void RxRawData(const std::string& rxStr) override;
    void RxCrLfData(const std::string& rxStr) override;
    void RxDecodedData(std::uint16_t rxOpCode, std::int16_t rxLength,
                       std::span<const std::uint8_t> rxData) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;
    void RxDmpData(std::int16_t rxDmpIndex) override;

    // The link. The window is a source on topic "EngTerminal" + suffix while loaded.
    std::string linkTopic() const;
    bool destinationLinked() const;
    // A command on our topic from the connection of that id (link commands only; never sent
    // on the line).
    void LinkExecute(const std::string& command, int connectionId = 0);
    // A value of the partner's item arrived at our destination.
    void DestinationChanged(const std::string& value);
    // A connection to our topic closed. Only the linked partner's ends the link: another
    // program of the user that connects and goes (or whose bad message got its connection
    // closed) leaves the link and the "&DDE" switch as they are.
    void SourceConnectionClosed(int connectionId);
    // The link conversation closed.
    void LinkClosed(bool dropDestination = true);
    // Connections to our topic (the partner's and any other program's).
    int sourceConnections() const;
    const std::string& ddeApp() const { return ddeApp_; }
    const std::string& ddeTopic() const { return ddeTopic_; }

private:
    void Show(const RxText& text);
    void ForwardByDde(const std::string& text);
    void LinkDdeDestination();
    bool LinkDestination(const std::string& app, const std::string& topic, const std::string& item);
    void UnlinkDestination();
    void SendAscii(const std::string& t);
    void SendHex(const std::string& t);

    std::int32_t kind_;
    TerminalKindInfo info_;
    classComm& port_;
    TerminalCounters& counters_;
    const ModeFlags& flags_;
    Dialogs& dialogs_;
    LocalLinks* links_;
    TerminalView* view_ = nullptr;

    bool pause_ = false;
    bool packetNumbers_ = false;
    bool dmpTest_ = false;
    bool sRecordTest_ = false;
    bool ddeEnable_ = false;

    std::unique_ptr<LinkServer> source_;
    std::unique_ptr<LinkClient> destination_;
    std::string ddeApp_, ddeTopic_, ddeItem_;
    std::string lastDdeText_;
    // The program at the other end of the destination while it is linked; its connections to
    // our topic are the partner's.
    long partnerProcess_ = 0;
    // The connection whose command stored the keys.
    int keysFrom_ = 0;
};

}  // namespace k45
