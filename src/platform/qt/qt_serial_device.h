#pragma once
// The real serial device, over QSerialPort. Any device file works, a pseudo-terminal too;
// settings or control lines the device refuses are reported and skipped, and the port stays
// open. Line changes, breaks, framing and parity errors are polled from the driver every 50 ms
// where it counts them (not on a pseudo-terminal). A device that vanishes (unplugged adapter) closes the port and raises
// commEventDeviceLost.
#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace k45 {

// A serial device present on the system, as the Port Settings window offers it.
struct PresentSerialDevice {
    std::string systemLocation;  // /dev/ttyUSB0
    std::string stableLink;      // its /dev/serial/by-id link, when the system has one
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
};

class QtSerialDevice : public SerialDevice {
public:
    // Names the device file for a port number.
    using DeviceResolver = std::function<std::string(int portNumber)>;

    // Port n opens the device named by key "Com<n>" of section "Com Port Devices" of the
    // given map file (platform/port_devices.h), else /dev/ttyS<n-1>.
    explicit QtSerialDevice(const std::string& settingsFile);
    explicit QtSerialDevice(DeviceResolver resolver);
    ~QtSerialDevice() override;
    QtSerialDevice(const QtSerialDevice&) = delete;
    QtSerialDevice& operator=(const QtSerialDevice&) = delete;

    static DeviceResolver SettingsFileResolver(const std::string& settingsFile);
    static std::string DefaultDevicePath(int portNumber);
    // The open failure text: names the device and the reason; for a permission refusal
    // (sysErrno EACCES) it names the group that owns the device; for any other reason (missing,
    // busy, not a serial device) it says where the port's device is chosen.
    static std::string OpenFailureText(const std::string& path, const std::string& reason, int sysErrno);
    // The serial devices present now (Qt SerialPort's enumeration), each with its stable link
    // from byIdFolder where there is one.
    static std::vector<PresentSerialDevice> PresentDevices(const std::string& byIdFolder = "/dev/serial/by-id");
    // Gives each device the link of byIdFolder that leads to it.
    static void AttachStableLinks(std::vector<PresentSerialDevice>& devices, const std::string& byIdFolder);
    // Milliseconds that `bytes` need at the settings, plus a margin, capped at kMaxDrainMs.
    static int DrainTimeMs(long long bytes, const PortSettings& settings);
    static constexpr int kMaxDrainMs = 1000;

    // The device file in use, or tried by the last open.
    const std::string& devicePath() const { return path_; }
    // The settings the device refused when the port was last opened (they stay as the open set
    // them: 9600,n,8,1).
    const std::string& openRefusals() const { return openRefusals_; }

    void setPortNumber(int portNumber) override { portNumber_ = portNumber; }
    int portNumber() const override { return portNumber_; }
    // On a closed port the settings are kept for the open. On an open port the parts the device
    // takes are in force; a refused part keeps its value and is named in the error (false).
    [[nodiscard]] bool setSettings(const PortSettings& settings, std::string* error) override;
    // While open: the settings in force. While closed: those kept for the open.
    PortSettings settings() const override { return settings_; }
    [[nodiscard]] bool open(std::string* error) override;
    void drainOutput() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    std::string deviceName() const override { return path_; }

    void setBufferSizes(int inputSize, int outputSize) override;
    int outputBufferSize() const override { return outputBufferSize_; }

    [[nodiscard]] bool setRts(bool on, std::string* error) override;
    bool rts() const override;
    [[nodiscard]] bool setDtr(bool on, std::string* error) override;
    bool dtr() const override;
    [[nodiscard]] bool setHandshaking(int mode, std::string* error) override;
    int handshaking() const override { return handshaking_; }
    bool cts() const override;
    bool dsr() const override;
    bool cd() const override;
    [[nodiscard]] bool setBreak(bool on, std::string* error) override;

    std::string readInput() override;
    [[nodiscard]] bool write(const std::string& bytes, std::string* error) override;
    int outputCount() const override;
    void setReceiveThreshold(int bytes) override { threshold_ = bytes; }
    int inputCount() const override { return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : -1; }

    void setEventHandler(std::function<void(int code)> handler) override { handler_ = std::move(handler); }
    std::string deviceLostReason() const override { return lostReason_; }

protected:
    // Bytes the driver still holds for sending (0 when it cannot tell, as on a pseudo-terminal).
    virtual int driverQueued() const;

private:
    // Applies s part by part; inForce gets s with each refused part as in old. False with the
    // refusals named when any part was refused.
    [[nodiscard]] bool applySettings(PortSettings s, const PortSettings& old, PortSettings* inForce,
                                     std::string* refusals);
    [[nodiscard]] bool applyHandshaking(int mode, std::string* error);
    [[nodiscard]] bool setLine(int bit, bool on, const char* name, std::string* error);
    bool readLines(int* bits) const;
    bool lineUp(int bit) const;  // a modem line's level (TIOCM_ bit); false when unknown
    void poll();
    void lose(const std::string& why);
    void emitEvent(int code);
    bool notOpen(std::string* error) const;

    DeviceResolver resolver_;
    QSerialPort port_;
    QTimer pollTimer_;
    std::function<void(int)> handler_;
    int portNumber_ = 1;
    std::string path_;
    PortSettings settings_;
    int handshaking_ = 0;
    // Written output has left QSerialPort but not yet the driver: the send event waits for it.
    bool drainPending_ = false;
    int outputBufferSize_ = 16384;
    int threshold_ = 1;
    std::string openRefusals_;
    std::string lostReason_;
    bool losing_ = false;
    bool draining_ = false;  // no events while the output drains for a close
    // Last seen by the poll: modem lines and the error counters of the driver.
    bool linesKnown_ = false;
    bool linesUnsupported_ = false;
    int lastLines_ = 0;
    bool countersKnown_ = false;
    bool countersUnsupported_ = false;
    unsigned lastCounters_[3] = {0, 0, 0};  // breaks, framing errors, parity errors
};

}  // namespace k45
