#pragma once
// The program's real serial device wrapped for the pseudo-terminal tests: counts the bytes
// that go through it and keeps the receive threshold last set.
#include <functional>
#include <string>

#include "platform/serial_device.h"

namespace k45::test {

// The real device, counting what goes through it.
class CountingDevice : public SerialDevice {
public:
    explicit CountingDevice(SerialDevice& inner) : d_(inner) {}
    std::size_t written = 0;
    std::size_t read = 0;
    int threshold = 1;

    void setPortNumber(int n) override { d_.setPortNumber(n); }
    int portNumber() const override { return d_.portNumber(); }
    bool setSettings(const PortSettings& s, std::string* e) override { return d_.setSettings(s, e); }
    PortSettings settings() const override { return d_.settings(); }
    bool open(std::string* e) override { return d_.open(e); }
    void close() override { d_.close(); }
    bool isOpen() const override { return d_.isOpen(); }
    void setBufferSizes(int i, int o) override { d_.setBufferSizes(i, o); }
    int outputBufferSize() const override { return d_.outputBufferSize(); }
    bool setRts(bool on, std::string* e) override { return d_.setRts(on, e); }
    bool rts() const override { return d_.rts(); }
    bool setDtr(bool on, std::string* e) override { return d_.setDtr(on, e); }
    bool dtr() const override { return d_.dtr(); }
    bool setHandshaking(int m, std::string* e) override { return d_.setHandshaking(m, e); }
    int handshaking() const override { return d_.handshaking(); }
    bool cts() const override { return d_.cts(); }
    bool dsr() const override { return d_.dsr(); }
    bool cd() const override { return d_.cd(); }
    bool setBreak(bool on, std::string* e) override { return d_.setBreak(on, e); }
    std::string readInput() override {
        std::string s = d_.readInput();
        read += s.size();
        return s;
    }
    bool write(const std::string& bytes, std::string* e) override {
        const bool ok = d_.write(bytes, e);
        if (ok) written += bytes.size();
        return ok;
    }
    int outputCount() const override { return d_.outputCount(); }
    int inputCount() const override { return d_.inputCount(); }
    void setReceiveThreshold(int n) override {
        threshold = n;
        d_.setReceiveThreshold(n);
    }
    void setEventHandler(std::function<void(int)> h) override { d_.setEventHandler(std::move(h)); }
    std::string deviceLostReason() const override { return d_.deviceLostReason(); }

private:
    SerialDevice& d_;
};

}  // namespace k45::test
