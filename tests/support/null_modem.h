#pragma once
// An in-process null-modem cable between two serial devices, in virtual time.
//
// What end A writes reaches end B (and the other way) after the time the bytes take on the
// wire at the writer's settings: start bit, data bits, parity bit and stop bits per byte,
// back to back while the writer keeps its output filled. Bytes reach the receiver as they
// come off the wire, gathered per virtual millisecond. RTS of one end is CTS of the other;
// DTR of one end is DSR and CD of the other. A break is carried. The writer gets commEvSend
// when its last byte has left the wire; the receiver gets commEvReceive when its input holds
// at least the receive threshold (0 or less: no receive events).
//
// An end honours open and close: bytes reaching a closed end are lost; what a closed end had
// already written still goes out. With handshaking 2 an end sends only while its CTS is on.
// Settings mismatch between the ends is not modelled. Nothing sleeps.
//
// A test can cut the line, inject bytes, deliver in pieces of n bytes, stall delivery and read
// the wire log (every byte that went onto the wire, with virtual timestamps).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial_device.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

class NullModemPair;

enum class Direction { AtoB, BtoA };
enum class InputLine { Cts, Dsr, Cd };

// What one write (or injection) put onto the wire in one direction.
struct WireChunk {
    std::string bytes;
    std::int64_t writtenAtMs = 0;  // virtual time of the write
    std::int64_t startUs = -1;     // first bit on the wire (-1: not started yet)
    std::int64_t endUs = -1;       // last bit off the wire (-1: not finished yet)
    bool injected = false;         // put there by the test (arrives at once, takes no wire time)
};

class NullModemEnd : public SerialDevice {
public:
    void setPortNumber(int portNumber) override { portNumber_ = portNumber; }
    int portNumber() const override { return portNumber_; }
    bool setSettings(const PortSettings& settings, std::string* error) override;
    PortSettings settings() const override { return settings_; }
    bool open(std::string* error) override;
    void close() override;
    bool isOpen() const override { return open_; }

    void setBufferSizes(int inputSize, int outputSize) override;
    int outputBufferSize() const override { return outputBufferSize_; }

    bool setRts(bool on, std::string* error) override;
    bool rts() const override { return open_ && rts_; }
    bool setDtr(bool on, std::string* error) override;
    bool dtr() const override { return open_ && dtr_; }
    bool setHandshaking(int mode, std::string* error) override;
    int handshaking() const override { return handshaking_; }
    bool cts() const override;
    bool dsr() const override;
    bool cd() const override;
    bool setBreak(bool on, std::string* error) override;

    std::string readInput() override;
    bool write(const std::string& bytes, std::string* error) override;
    int outputCount() const override;
    void setReceiveThreshold(int bytes) override { threshold_ = bytes; }
    int inputCount() const override { return open_ ? static_cast<int>(input_.size()) : -1; }
    void setEventHandler(std::function<void(int code)> handler) override { handler_ = std::move(handler); }

    // For a test peer (a simulated modem) driving this end directly: opens the end and hands
    // every received piece to onBytes instead of the input buffer.
    void attachPeer(std::function<void(const std::string& bytes)> onBytes);
    void detachPeer() { peer_ = nullptr; }
    // Sends as this end's output (wire time, wire log and drained event as for write()).
    bool send(const std::string& bytes) { return write(bytes, nullptr); }

    // Forces what this end reads on an input line (std::nullopt: follow the other end again).
    void forceInput(InputLine line, std::optional<bool> level);
    int receiveThreshold() const { return threshold_; }
    bool breakOn() const { return open_ && break_; }

    // The adapter is pulled: the end closes, what it had not yet sent is lost, the owner gets
    // commEventDeviceLost with `reason`, and opening fails until plugIn().
    void unplug(const std::string& reason = "The adapter was unplugged.");
    void plugIn();
    // Opening fails with `reason` (another program holds the port, or it is missing) until
    // cleared with std::nullopt.
    void refuseOpen(std::optional<std::string> reason) { openRefusal_ = std::move(reason); }
    std::string deviceLostReason() const override { return lostReason_; }

private:
    friend class NullModemPair;
    NullModemEnd(NullModemPair& pair, int index) : pair_(&pair), index_(index) {}
    bool levelIn(InputLine line) const;  // the level at this end's input, open or not
    bool refuseClosed(const char* what, std::string* error) const;
    void fire(int code);

    NullModemPair* pair_;
    int index_;  // 0 = A, 1 = B
    int portNumber_ = 1;
    PortSettings settings_;
    bool open_ = false;
    bool rts_ = false;
    bool dtr_ = false;
    bool break_ = false;
    int handshaking_ = 0;
    int outputBufferSize_ = 16384;
    int threshold_ = 1;
    std::string input_;
    std::function<void(int)> handler_;
    std::function<void(const std::string&)> peer_;
    std::optional<bool> forced_[3];
    std::optional<std::string> openRefusal_;
    std::string lostReason_;
    bool seen_[3] = {false, false, false};  // input levels as last reported
};

class NullModemPair {
public:
    explicit NullModemPair(VirtualScheduler& scheduler);
    ~NullModemPair();
    NullModemPair(const NullModemPair&) = delete;
    NullModemPair& operator=(const NullModemPair&) = delete;

    NullModemEnd& a() { return *ends_[0]; }
    NullModemEnd& b() { return *ends_[1]; }

    // Cut line: nothing arrives (bytes and breaks are lost) until it is joined again.
    void cut(bool on);
    void cut(Direction d, bool on);
    // Bytes that arrive at the far end of d now, as if from the line (garbage or any bytes).
    void inject(Direction d, const std::string& bytes);
    // Deliver in pieces of n bytes (0: as the bytes come off the wire); a last short piece
    // goes when the line falls idle.
    void split(Direction d, int n);
    // Hold every arriving byte until the stall ends; then they arrive together.
    void stall(Direction d, bool on);

    const std::vector<WireChunk>& wireLog(Direction d) const;
    // Every byte that went onto the wire in d, in order (injected ones too).
    std::string wireBytes(Direction d) const;
    // Bytes that reached a cut line or a closed end.
    std::int64_t lostBytes(Direction d) const;

private:
    friend class NullModemEnd;
    struct Line;
    Line& line(Direction d) { return *lines_[d == Direction::AtoB ? 0 : 1]; }
    const Line& line(Direction d) const { return *lines_[d == Direction::AtoB ? 0 : 1]; }
    Line& lineFrom(int endIndex) { return *lines_[endIndex]; }

    std::int64_t nowUs() const { return scheduler_.nowMs() * 1000; }
    // Brings both directions up to now, runs change, then reports line changes and restarts
    // whatever the change lets go.
    void mutate(const std::function<void()>& change);
    void settle(Line& l);
    void kick(Line& l);
    void schedulePump(Line& l, std::int64_t atMs);
    void pump(Line& l);
    void route(Line& l, const std::string& bytes);
    void deliverNext(Line& l);
    void updateLines();
    void post(NullModemEnd& end, int code);
    bool canSend(const Line& l) const;

    VirtualScheduler& scheduler_;
    std::shared_ptr<bool> alive_;
    std::unique_ptr<NullModemEnd> ends_[2];
    std::unique_ptr<Line> lines_[2];
};

}  // namespace k45::test
