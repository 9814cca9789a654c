#include "serial/port_settings_dialogue.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

#include "model/app_state.h"
#include "platform/dialogs.h"
#include "serial/class_comm.h"
#include "serial/tx_modes.h"

namespace k45 {

namespace {

struct BaudEntry {
    const char* text;
    bool engineeringOnly;
};
constexpr BaudEntry kBaudEntries[] = {
    {"115200", false}, {"57600", true}, {"38400", false}, {"28800", true}, {"19200", false}, {"14400", true},
    {"9600", false},   {"4800", false}, {"2400", false},  {"1200", false}, {"300", true},    {"110", true},
};
constexpr const char* kDmpBaudEntries[] = {"110",   "300",   "1200",  "2400",  "4800",  "9600",
                                           "14400", "19200", "28800", "38400", "57600", "115200"};

std::optional<long> NumberOf(const std::string& text) {
    long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// The entry at a position, when the position is one of the list's.
std::optional<std::string> EntryAt(const std::vector<std::string>& entries, int position) {
    if (position < 0 || position >= static_cast<int>(entries.size())) return std::nullopt;
    return entries[static_cast<std::size_t>(position)];
}

// The first entry, from the top, whose number is the value; else the last entry.
int PositionByNumber(const std::vector<std::string>& entries, double value) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (const auto v = NumberOf(entries[i]); v && static_cast<double>(*v) == value) return static_cast<int>(i);
    return static_cast<int>(entries.size()) - 1;
}

// The first entry whose first letter is the letter, in either case; else the last entry.
int PositionByFirstLetter(const std::vector<std::string>& entries, char letter) {
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (letter && !entries[i].empty() && lower(entries[i][0]) == lower(letter)) return static_cast<int>(i);
    return static_cast<int>(entries.size()) - 1;
}

// A position of a list that has an entry for every value in 0..count-1; a value without an entry
// shows no selection (possible only from a settings file).
int PositionIn(int position, int count) { return position >= 0 && position < count ? position : -1; }

// As the time-out boxes hold a value: in their range, with two decimals.
double TimeoutAsShown(double seconds) {
    const double clamped =
        std::clamp(seconds, AdvancedPortChoice::kTimeoutMin, AdvancedPortChoice::kTimeoutMax);
    return std::round(clamped * 100) / 100;
}

int ByteAsShown(int value) { return std::clamp(value, 0, 255); }

std::string Trimmed(const std::string& text) {
    const char* blank = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(blank);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blank) - first + 1);
}

// What the file system says of a device, for the status line and the question before OK.
const char* DeviceStateText(PortDeviceState state) {
    switch (state) {
    case PortDeviceState::Present: return "The device is present.";
    case PortDeviceState::Missing: return "The device was not found.";
    case PortDeviceState::NoPermission: return "The device is there, but this user may not open it.";
    case PortDeviceState::NotADevice: return "This path is not a serial device.";
    }
    return "";
}

const char* DeviceStateReason(PortDeviceState state) {
    switch (state) {
    case PortDeviceState::Missing: return "was not found";
    case PortDeviceState::NoPermission: return "may not be opened by this user";
    case PortDeviceState::NotADevice: return "is not a serial device";
    case PortDeviceState::Present: break;
    }
    return "is present";
}

}  // namespace

std::vector<std::string> PortListEntries(PortList list, bool engineerMode) {
    switch (list) {
    case PortList::PortNum: {
        std::vector<std::string> entries;
        for (int n = 1; n <= kMaxComPort; ++n) entries.push_back("Com" + std::to_string(n));
        return entries;
    }
    case PortList::BaudRate: {
        std::vector<std::string> entries;
        for (const BaudEntry& e : kBaudEntries)
            if (engineerMode || !e.engineeringOnly) entries.emplace_back(e.text);
        return entries;
    }
    case PortList::DataBits:
        if (engineerMode) return {"8", "7", "6", "5", "4"};
        return {"8", "7"};
    case PortList::Parity: return {"None", "Odd", "Even"};
    case PortList::StopBits: return {"1", "2"};
    case PortList::DtrEnable: return {"No", "Yes"};
    case PortList::TxMode: return {kPortSettingsModeCaptions.begin(), kPortSettingsModeCaptions.end()};
    }
    return {};
}

std::vector<std::string> DmpBaudEntries() { return {std::begin(kDmpBaudEntries), std::end(kDmpBaudEntries)}; }

PortSettingsDialogue::PortSettingsDialogue(PortSettingsLinks links, PortSettingsView& view)
    : links_(links), view_(view) {}

bool PortSettingsDialogue::Engineering() const { return links_.modes.engineerMode; }

PortDeviceState PortSettingsDialogue::Check(const std::string& path) const {
    return checkDevice ? checkDevice(path) : CheckPortDevice(path);
}

std::string PortSettingsDialogue::MapFile() const { return PortDeviceMapFile(links_.places); }

std::string PortSettingsDialogue::DeviceOf(int portNumber) const {
    const auto it = devices_.find(portNumber);
    return it == devices_.end() ? DefaultPortDevice(portNumber) : it->second;
}

std::string PortSettingsDialogue::OpenDeviceOf(int portNumber) const {
    for (const classComm* p : Ports())
        if (p && p->GetCommPortOpen() && p->settings().portNumber == portNumber) return p->GetOpenDevice();
    return {};
}

bool PortSettingsDialogue::WantedClosed(int portNumber) const {
    for (const classComm* p : Ports())
        if (p && !p->GetCommPortOpen() && p->OpenWanted() && p->settings().portNumber == portNumber) return true;
    return false;
}

void PortSettingsDialogue::Load() {
    const bool eng = Engineering();
    // Each number's device: the one a port has open on it, else what the map names.
    storedDevices_ = ReadPortDeviceMap(MapFile());
    devices_ = storedDevices_;
    for (int n = 1; n <= kMaxComPort; ++n)
        if (const std::string open = OpenDeviceOf(n); !open.empty()) devices_[n] = open;

    baudRates_ = PortListEntries(PortList::BaudRate, eng);
    dataBits_ = PortListEntries(PortList::DataBits, eng);
    const auto ports = Ports();
    for (std::size_t k = 0; k < 2; ++k) {
        const classComm* p = ports[k];
        if (!p) continue;
        const CommSettings& s = p->settings();
        PortSideChoice& c = choice_.side[k];
        c[PortList::PortNum] = PositionIn(s.portNumber - 1, kMaxComPort);
        c[PortList::BaudRate] = PositionByNumber(baudRates_, s.portSettings.baudRate);
        c[PortList::DataBits] = PositionByNumber(dataBits_, s.portSettings.dataBits);
        c[PortList::Parity] = PositionByFirstLetter(PortListEntries(PortList::Parity, eng), s.portSettings.parity);
        c[PortList::StopBits] = PositionIn(s.portSettings.stopBits - 1, 2);
        c[PortList::DtrEnable] = s.dtrEnabled ? 1 : 0;
        c[PortList::TxMode] = PositionIn(s.txModeValue, static_cast<int>(kPortSettingsModeCaptions.size()));
    }
    // The advanced tab shows the primary's; OK gives them to both.
    if (const classComm* p = ports[0]) {
        const CommSettings& s = p->settings();
        AdvancedPortChoice& a = choice_.advanced;
        a.ignoreDCD = s.ignoreDCD;
        a.dcdTimeoutTime = TimeoutAsShown(s.dcdTimeoutTime);
        a.ctsTimeoutTime = TimeoutAsShown(s.ctsTimeoutTime);
        a.syncChar = ByteAsShown(s.syncChar);
        a.escChar = ByteAsShown(s.escChar);
        a.dmpBaudPosition = PositionByNumber(DmpBaudEntries(), s.dmpBaudRate);
    }

    view_.ShowMode(baudRates_, dataBits_, eng);
    view_.ShowChoice(choice_);
    view_.EnableDcdTimeout(!choice_.advanced.ignoreDCD && eng);
    view_.ShowDeviceMapNote("The port devices of every mode are kept in [Com Port Devices] of\n" + MapFile());
    ShowDeviceColumn();
    ShowDevice(0);
    ShowDevice(1);
}

void PortSettingsDialogue::Select(int side, PortList list, int position) {
    if (side < 0 || side > 1) return;
    PortSideChoice& c = choice_.side[static_cast<std::size_t>(side)];
    if (c[list] == position) return;
    c[list] = position;
    if (list == PortList::PortNum) ShowDevice(side);
}

void PortSettingsDialogue::IgnoreDcdTicked(bool on) {
    choice_.advanced.ignoreDCD = on;
    view_.EnableDcdTimeout(!on && Engineering());
}

void PortSettingsDialogue::ShowDevice(int side) {
    const int n = choice_.side[static_cast<std::size_t>(side)].portNumber();
    view_.ShowDevice(side, n >= 1 ? DeviceOf(n) : std::string(), n >= 1);
    view_.ShowDeviceStatus(side, DeviceStatus(side));
}

void PortSettingsDialogue::DeviceEdited(int side, const std::string& text) {
    if (side < 0 || side > 1) return;
    const int n = choice_.side[static_cast<std::size_t>(side)].portNumber();
    if (n < 1) return;
    const std::string path = Trimmed(text);
    devices_[n] = path.empty() ? DefaultPortDevice(n) : path;
    ShowDeviceColumn();
    // The other side shows the same number only while the choice is still to be corrected.
    const int other = 1 - side;
    if (choice_.side[static_cast<std::size_t>(other)].portNumber() == n) ShowDevice(other);
    view_.ShowDeviceStatus(side, DeviceStatus(side));
}

// Checked as the device is typed or chosen: open, present, missing or not to be opened.
std::string PortSettingsDialogue::DeviceStatus(int side) const {
    const int n = choice_.side[static_cast<std::size_t>(side)].portNumber();
    if (n < 1) return {};
    const std::string chosen = DeviceOf(n);
    const std::string open = OpenDeviceOf(n);
    const PortDeviceState state = Check(chosen);
    if (!open.empty() && open == chosen) return "Open now on this device.";
    if (!open.empty() && state == PortDeviceState::Present)
        return "Open now on " + open + "; OK reopens the port on this device.";
    if (!open.empty())
        return std::string(DeviceStateText(state)) + " Open now on " + open + "; OK asks before it leaves that device.";
    if (WantedClosed(n) && state == PortDeviceState::Present) return "The device is present; OK opens the port on it.";
    return DeviceStateText(state);
}

void PortSettingsDialogue::ShowDeviceColumn() {
    std::vector<std::string> texts;
    for (int n = 1; n <= kMaxComPort; ++n)
        texts.push_back(DeviceOf(n) + (OpenDeviceOf(n).empty() ? "" : "  (open)"));
    view_.ShowDeviceColumn(texts);
}

void PortSettingsDialogue::Swap() {
    std::swap(choice_.side[0], choice_.side[1]);
    view_.ShowChoice(choice_);
    ShowDevice(0);
    ShowDevice(1);
}

void PortSettingsDialogue::Cancel() { view_.CloseWindow(); }

bool PortSettingsDialogue::ConfirmUnusableDevices() {
    const auto ports = Ports();
    for (std::size_t k = 0; k < 2; ++k) {
        const classComm* p = ports[k];
        if (!p || !p->GetCommPortOpen()) continue;
        const int inUse = p->settings().portNumber;
        const int chosen = choice_.side[k].portNumber();
        // A move to another number is the operator's choice of that number's device as it stands
        // in the map; the question is for a new device typed or chosen for the number in use.
        if (chosen > 0 && chosen != inUse) continue;
        const std::string target = DeviceOf(inUse);
        std::string current = p->GetOpenDevice();
        if (current.empty()) current = storedDevices_[inUse];
        if (target == current) continue;
        const PortDeviceState state = Check(target);
        if (state == PortDeviceState::Present) continue;
        const std::string com = "Com" + std::to_string(inUse);
        const std::string text = com + " is open on " + current + ".\r\n" + "The device " + target + " " +
                                 DeviceStateReason(state) + ".\r\n\r\n" + "Use it for " + com +
                                 " anyway? The port closes and stays closed until the device can be opened.";
        if (ShowMessage(links_.services.dialogs, {text, "Port Settings", MsgButtons::YesNo, MsgIcon::Question}) !=
            MsgAnswer::Yes)
            return false;
    }
    return true;
}

void PortSettingsDialogue::Apply(classComm& port, const PortSideChoice& side) const {
    CommSettings p = port.settings();
    // A list without a selection keeps the port object's value.
    if (side[PortList::PortNum] >= 0 && side[PortList::PortNum] < kMaxComPort)
        p.portNumber = static_cast<std::int16_t>(side.portNumber());
    if (const auto e = EntryAt(baudRates_, side[PortList::BaudRate]))
        if (const auto v = NumberOf(*e)) p.portSettings.baudRate = static_cast<std::int32_t>(*v);
    if (const auto e = EntryAt(dataBits_, side[PortList::DataBits]))
        if (const auto v = NumberOf(*e)) p.portSettings.dataBits = static_cast<std::int16_t>(*v);
    if (const auto e = EntryAt(PortListEntries(PortList::Parity, false), side[PortList::Parity]))
        p.portSettings.parity = (*e)[0];
    if (const auto e = EntryAt(PortListEntries(PortList::StopBits, false), side[PortList::StopBits]))
        if (const auto v = NumberOf(*e)) p.portSettings.stopBits = static_cast<std::int16_t>(*v);
    if (const auto e = EntryAt(PortListEntries(PortList::DtrEnable, false), side[PortList::DtrEnable]))
        p.dtrEnabled = *e == "Yes";
    if (EntryAt(PortListEntries(PortList::TxMode, false), side[PortList::TxMode])) p.txModeValue = side[PortList::TxMode];
    const AdvancedPortChoice& a = choice_.advanced;
    p.ignoreDCD = a.ignoreDCD;
    p.dcdTimeoutTime = a.dcdTimeoutTime;
    p.syncChar = static_cast<std::int16_t>(a.syncChar);
    p.escChar = static_cast<std::int16_t>(a.escChar);
    p.ctsTimeoutTime = a.ctsTimeoutTime;
    if (const auto e = EntryAt(DmpBaudEntries(), a.dmpBaudPosition))
        if (const auto v = NumberOf(*e)) p.dmpBaudRate = static_cast<std::int32_t>(*v);
    port.setSettings(p);
}

void PortSettingsDialogue::OK() {
    const auto ports = Ports();
    if (!ports[0] || !ports[1]) return;
    const int primaryPort = choice_.side[0].portNumber();
    const int secondaryPort = choice_.side[1].portNumber();
    const int shownPrimary = primaryPort > 0 ? primaryPort : ports[0]->settings().portNumber;
    const int shownSecondary = secondaryPort > 0 ? secondaryPort : ports[1]->settings().portNumber;
    if (shownPrimary == shownSecondary) {
        ShowMessage(links_.services.dialogs, {"Primary and Secondary Com Ports must be different!",
                                              "Port Number Error", MsgButtons::OK, MsgIcon::Exclamation});
        return;
    }
    if (!ConfirmUnusableDevices()) return;
    // A port that should be open but is not (its device lost, a reopen that failed) opens
    // again with what is chosen now.
    const bool wasOpen[2] = {ports[0]->GetCommPortOpen() || ports[0]->OpenWanted(),
                             ports[1]->GetCommPortOpen() || ports[1]->OpenWanted()};
    const int before[2] = {ports[0]->settings().portNumber, ports[1]->settings().portNumber};
    ports[0]->CloseCommPort();
    ports[1]->CloseCommPort();
    Apply(*ports[0], choice_.side[0]);
    Apply(*ports[1], choice_.side[1]);
    // A loss told belongs to its device: when a port takes the other's number, it takes the
    // other's told loss with it, so the same loss is not told again.
    if (ports[0]->settings().portNumber == before[1] || ports[1]->settings().portNumber == before[0])
        ports[0]->ExchangeDeviceLosses(*ports[1]);

    // The devices go to the map before the ports reopen, so a port whose device changed opens
    // the new one before anything else is sent.
    std::map<int, std::string> changed;
    for (const auto& [n, path] : devices_)
        if (storedDevices_[n] != path) changed[n] = path;
    std::string error;
    if (!WritePortDevices(MapFile(), changed, &error)) {
        ShowMessage(links_.services.dialogs, {"Could not save the devices of the ports in " + MapFile() + "\r\n" + error,
                                              "Port Settings", MsgButtons::OK, MsgIcon::Exclamation});
    }
    // A port that will not reopen with the new settings has said so in its own message.
    if (wasOpen[0]) (void)ports[0]->OpenCommPort();
    if (wasOpen[1]) (void)ports[1]->OpenCommPort();
    view_.CloseWindow();
}

}  // namespace k45
