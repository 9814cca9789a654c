#pragma once
// The serial control a port object drives. Implementations: the real device over
// QSerialPort (platform/qt) and the in-process null-modem pair (tests/support).
// Every operation may fail; a failure is reported to the caller and never fatal.
#include <cstdint>
#include <functional>
#include <string>

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

// A settings text "9600,n,8,1" taken apart.
struct SerialSettings {
    int baud = 9600;
    char parity = 'n';       // lower case: n, e, o, m, s
    int dataBits = 8;        // 4..8
    int stopBitsTimes2 = 2;  // 2 (one), 3 (one and a half) or 4 (two)
};

// Takes a settings text apart: baud (positive), parity letter (n, e, o, m, s in either case),
// data bits (4..8) and stop bits (1, 1.5, 2), separated by commas; blanks around the parts are
// allowed. False, with the reason, for any other text.
inline bool ParseSerialSettings(const std::string& text, SerialSettings* out, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = "Invalid settings \"" + text + "\": " + why;
        return false;
    };
    std::string parts[4];
    int count = 0;
    std::string::size_type from = 0;
    while (true) {
        const auto comma = text.find(',', from);
        if (count == 4) return fail("expected baud,parity,data bits,stop bits");
        std::string part = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const auto first = part.find_first_not_of(" \t");
        const auto last = part.find_last_not_of(" \t");
        parts[count++] = first == std::string::npos ? std::string() : part.substr(first, last - first + 1);
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    if (count != 4) return fail("expected baud,parity,data bits,stop bits");
    SerialSettings s;
    const std::string& baud = parts[0];
    if (baud.empty() || baud.size() > 9 || baud.find_first_not_of("0123456789") != std::string::npos)
        return fail("bad baud rate");
    s.baud = std::stoi(baud);
    if (s.baud <= 0) return fail("bad baud rate");
    const std::string& parity = parts[1];
    if (parity.size() != 1) return fail("bad parity");
    const char p = static_cast<char>(parity[0] | 0x20);
    if (p != 'n' && p != 'e' && p != 'o' && p != 'm' && p != 's') return fail("bad parity");
    s.parity = p;
    const std::string& data = parts[2];
    if (data.size() != 1 || data[0] < '4' || data[0] > '8') return fail("bad data bits");
    s.dataBits = data[0] - '0';
    const std::string& stop = parts[3];
    if (stop == "1") s.stopBitsTimes2 = 2;
    else if (stop == "1.5") s.stopBitsTimes2 = 3;
    else if (stop == "2") s.stopBitsTimes2 = 4;
    else return fail("bad stop bits");
    if (out) *out = s;
    return true;
}

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    virtual void setPortNumber(int portNumber) = 0;   // COM port n (1..32)
    virtual int portNumber() const = 0;
    // "9600,n,8,1": baud, parity letter, data bits, stop bits. Applied at once, also on an
    // open port. False with the reason when refused.
    virtual bool setSettings(const std::string& settings, std::string* error) = 0;
    virtual std::string settings() const = 0;
    virtual bool open(std::string* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void setBufferSizes(int inputSize, int outputSize) = 0;
    virtual int outputBufferSize() const = 0;

    virtual bool setRts(bool on, std::string* error) = 0;
    virtual bool rts() const = 0;
    virtual bool setDtr(bool on, std::string* error) = 0;
    virtual bool dtr() const = 0;
    // 0 none, 2 hardware RTS/CTS.
    virtual bool setHandshaking(int mode, std::string* error) = 0;
    virtual int handshaking() const = 0;
    virtual bool cts() const = 0;
    virtual bool dsr() const = 0;
    virtual bool cd() const = 0;
    virtual bool setBreak(bool on, std::string* error) = 0;

    // All received bytes waiting, each returned once (one char per byte 0..255).
    virtual std::string readInput() = 0;
    // Queues bytes for sending.
    virtual bool write(const std::string& bytes, std::string* error) = 0;
    // Bytes still waiting to leave (output buffer plus driver queue).
    virtual int outputCount() const = 0;
    // Received bytes that raise a receive event; 1 until first written.
    virtual void setReceiveThreshold(int bytes) = 0;

    // The one communication event; the handler receives a CommEventCode.
    virtual void setEventHandler(std::function<void(int code)> handler) = 0;

    // Why the device was lost (the text of the last commEventDeviceLost); empty before.
    virtual std::string deviceLostReason() const { return {}; }
};

}  // namespace k45
