#pragma once
// The Port Settings dialogue: the choices of the window's lists and boxes, the device each
// port number opens, and OK, which checks the choice, asks before it leaves an open port's
// device for one that cannot be opened, stores the settings in both port objects and the
// devices in the map, and reopens the ports that should be open. Nothing is applied before OK.
#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/port_devices.h"

namespace k45 {

class classComm;
struct ModeFlags;
struct Places;
struct Services;

// The seven lists of each side, in the order the window shows them and a swap exchanges them.
enum class PortList { PortNum, BaudRate, DataBits, Parity, StopBits, DtrEnable, TxMode };
inline constexpr std::size_t kPortListCount = 7;

// What one side's lists show: the position chosen in each, -1 for none.
struct PortSideChoice {
    std::array<int, kPortListCount> position{-1, -1, -1, -1, -1, -1, -1};

    int& operator[](PortList list) { return position[static_cast<std::size_t>(list)]; }
    int operator[](PortList list) const { return position[static_cast<std::size_t>(list)]; }
    // The chosen port number, 0 for none.
    int portNumber() const { return (*this)[PortList::PortNum] + 1; }
    bool operator==(const PortSideChoice&) const = default;
};

// The advanced settings both port objects share, as their boxes hold them.
struct AdvancedPortChoice {
    bool ignoreDCD = false;
    double dcdTimeoutTime = kTimeoutMin;
    double ctsTimeoutTime = kTimeoutMin;
    int syncChar = 0;
    int escChar = 0;
    int dmpBaudPosition = -1;  // in DmpBaudEntries()

    // The time-out boxes: seconds with two decimals in this range; the character boxes a byte.
    static constexpr double kTimeoutMin = 0.05;
    static constexpr double kTimeoutMax = 600;
    bool operator==(const AdvancedPortChoice&) const = default;
};

struct PortSettingsChoice {
    std::array<PortSideChoice, 2> side;  // 0 primary, 1 secondary
    AdvancedPortChoice advanced;
    bool operator==(const PortSettingsChoice&) const = default;
};

// The entries of a side's list; the baud-rate and data-bits lists hold more in engineering mode.
std::vector<std::string> PortListEntries(PortList list, bool engineerMode);
// The entries of the DMP baud-rate list.
std::vector<std::string> DmpBaudEntries();

// What the dialogue asks of its window.
class PortSettingsView {
public:
    virtual ~PortSettingsView() = default;
    // Starts the window over: the first tab, the entries of the baud-rate and data-bits lists,
    // and the advanced settings (tab and controls) available only in engineering mode.
    virtual void ShowMode(const std::vector<std::string>& baudRates, const std::vector<std::string>& dataBits,
                          bool engineering) = 0;
    // Selects in every list what the choice holds and shows the advanced values.
    virtual void ShowChoice(const PortSettingsChoice& choice) = 0;
    virtual void EnableDcdTimeout(bool on) = 0;
    // The device of a side's chosen number, without a number empty and unavailable.
    virtual void ShowDevice(int side, const std::string& device, bool available) = 0;
    // What is known of that device: open, present, missing or not to be opened.
    virtual void ShowDeviceStatus(int side, const std::string& status) = 0;
    // Beside "Com1".."Com32" (index 0..31): the device each number opens, marked when open.
    virtual void ShowDeviceColumn(const std::vector<std::string>& texts) = 0;
    // Where the devices are kept.
    virtual void ShowDeviceMapNote(const std::string& text) = 0;
    virtual void CloseWindow() = 0;
};

// What the dialogue works with. The port slots are read at each use: start-up fills them after
// the windows exist.
struct PortSettingsLinks {
    const ModeFlags& modes;
    const Places& places;  // the program folder, whose settings file holds the device map
    const Services& services;
    classComm* const& primarySlot;
    classComm* const& secondarySlot;
};

class PortSettingsDialogue {
public:
    PortSettingsDialogue(PortSettingsLinks links, PortSettingsView& view);

    // Whether a path can be opened as a port; tests put their own.
    std::function<PortDeviceState(const std::string&)> checkDevice = CheckPortDevice;

    // Shows the port objects' settings and the devices (at the load, and again when the ports
    // were swapped behind the window's back).
    void Load();
    void UpdateChanges() { Load(); }
    void Unload() {}
    // The window owns no port settings of its own: nothing to re-apply.
    void Activate() {}

    // ---- The operator's events.
    void Select(int side, PortList list, int position);
    void IgnoreDcdTicked(bool on);
    void SetDcdTimeout(double seconds) { choice_.advanced.dcdTimeoutTime = seconds; }
    void SetCtsTimeout(double seconds) { choice_.advanced.ctsTimeoutTime = seconds; }
    void SetSyncChar(int value) { choice_.advanced.syncChar = value; }
    void SetEscChar(int value) { choice_.advanced.escChar = value; }
    void SelectDmpBaud(int position) { choice_.advanced.dmpBaudPosition = position; }
    // A device typed or chosen for the side's number; blank is the number's default device.
    void DeviceEdited(int side, const std::string& text);
    // Exchanges the selections of the two sides (not the shared advanced settings).
    void Swap();
    void OK();
    void Cancel();

    // ---- What the window shows now.
    const PortSettingsChoice& choice() const { return choice_; }
    // The device a number opens after OK.
    std::string DeviceOf(int portNumber) const;
    std::string DeviceStatus(int side) const;
    std::string MapFile() const;

private:
    std::array<classComm*, 2> Ports() const { return {links_.primarySlot, links_.secondarySlot}; }
    bool Engineering() const;
    PortDeviceState Check(const std::string& path) const;
    // The device a port object has open on this number: what is in use, whatever the map says.
    std::string OpenDeviceOf(int portNumber) const;
    // A port object wants this number open but does not have it open (a lost device, a reopen
    // that failed).
    bool WantedClosed(int portNumber) const;
    void ShowDevice(int side);
    void ShowDeviceColumn();
    // For each open port whose device OK would change to one that cannot be opened: asks before
    // leaving the device in use. False when the operator keeps it.
    bool ConfirmUnusableDevices();
    void Apply(classComm& port, const PortSideChoice& side) const;

    PortSettingsLinks links_;
    PortSettingsView& view_;
    PortSettingsChoice choice_;
    std::vector<std::string> baudRates_, dataBits_;  // the entries shown in this mode
    std::map<int, std::string> devices_;             // the device each number opens after OK
    std::map<int, std::string> storedDevices_;       // what the map file holds now
};

}  // namespace k45
