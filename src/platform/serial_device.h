#pragma once
// The serial control a port object drives. Implementations: the real device over
// QSerialPort (platform/qt) and the in-process null-modem pair (tests/support).
// Every operation may fail; a failure is reported to the caller and never fatal.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/port_settings.h"

namespace k45 {

// Communication event codes delivered to the port object.
enum CommEventCode : int {
    commEvSend = 1,        // written output has left the output buffer
    commEvReceive = 2,     // received bytes reached the receive threshold
    commEvCts = 3,
    commEvDsr = 4,
    commEvCd = 5,
    commEventBreak = 1001,
    commEventFrame = 1004,
    commEventRxParity = 1009,
    // The device vanished (unplugged adapter): the port has been closed; the reason is in
    // SerialDevice::deviceLostReason().
    commEventDeviceLost = 2001,
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual void setPortNumber(int portNumber) = 0;   // COM port n (1..32)
    virtual int portNumber() const = 0;
    // Applied at once, also on an open port. False with the reason when refused: settings that
    // are not valid (see PortSettingsProblem) change nothing; of valid ones the device may take
    // some parts and refuse others, which keep their value.
    [[nodiscard]] virtual bool setSettings(const PortSettings& settings, std::string* error) = 0;
    // The settings in force on an open device (those kept for the open while closed).
    virtual PortSettings settings() const = 0;
    [[nodiscard]] virtual bool open(std::string* error) = 0;
    // Gives the output still queued the time it needs to leave at the settings in force (plus a
    // margin, about a second at most), so a last command such as "T0" reaches the radio before
    // the lines drop or the port closes. No event is raised meanwhile.
    virtual void drainOutput() {}
    // Closes the port; the queued output is drained first (drainOutput).
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The device file the port has open (while closed: the one the last open tried); empty for
    // a device without a file.
    virtual std::string deviceName() const { return {}; }

    virtual void setBufferSizes(int inputSize, int outputSize) = 0;
    virtual int outputBufferSize() const = 0;

    [[nodiscard]] virtual bool setRts(bool on, std::string* error) = 0;
    virtual bool rts() const = 0;
    [[nodiscard]] virtual bool setDtr(bool on, std::string* error) = 0;
    virtual bool dtr() const = 0;
    // 0 none, 2 hardware RTS/CTS.
    [[nodiscard]] virtual bool setHandshaking(int mode, std::string* error) = 0;
    virtual int handshaking() const = 0;
    virtual bool cts() const = 0;
    virtual bool dsr() const = 0;
    virtual bool cd() const = 0;
    [[nodiscard]] virtual bool setBreak(bool on, std::string* error) = 0;

    // All received bytes waiting, each returned once (one char per byte 0..255).
    virtual std::string readInput() = 0;
    // Queues bytes for sending.
    [[nodiscard]] virtual bool write(const std::string& bytes, std::string* error) = 0;
    // Bytes still waiting to leave (output buffer plus driver queue).
    virtual int outputCount() const = 0;
    // Received bytes that raise a receive event; 1 until first written.
    virtual void setReceiveThreshold(int bytes) = 0;
    // Received bytes waiting (below the threshold too); -1 when the device cannot tell.
    virtual int inputCount() const { return -1; }

    // The one communication event; the handler receives a CommEventCode.
    virtual void setEventHandler(std::function<void(int code)> handler) = 0;

    // Why the device was lost (the text of the last commEventDeviceLost); empty before.
    virtual std::string deviceLostReason() const { return {}; }
};

}  // namespace k45
