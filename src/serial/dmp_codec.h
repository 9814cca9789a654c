#pragma once
// DMP frames: SOH [unit-ID letters] [. port digit] function [DLE] [STX data] [DLE] EOT check.
// The check is the XOR of every character from SOH through EOT except the DLE prefixes. ACK,
// NAK, DC3 and ENQ received outside a frame are messages of their own.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "serial/messages.h"

namespace k45 {

inline constexpr int kDmpMaxLetters = 8;
inline constexpr int kDmpMaxData = 1025;  // data characters a receiver keeps
inline constexpr int kDmpDefaultFunction = 115;  // "s"

// The port's simulated-DMP receive mode (`simulatedDmpProtocol`, `simulatedDmpFunction`).
struct DmpSettings {
    bool simulated = false;
    int simulatedFunction = 0;
};

// True for the messages the dispatch answers with one ACK (outside simulated mode):
// functions "q", "s", "t", "g" and a lone ENQ.
bool DmpNeedsAck(int funcCode);

// Decoder into `rxDmpMessages`. State lives as long as the object and is never reset; an SOH
// outside a frame always starts a new one. Nothing is counted.
class DmpDecoder {
public:
    explicit DmpDecoder(RxMessageTables& tables, int firstSlot = 0);

    void setFirstSlot(int firstSlot);  // 0 or 32; checked (CheckedFirstSlot)
    int firstSlot() const { return firstSlot_; }
    int ringIndex() const { return ring_; }

    // Decodes chunk from pos on, stopping after the 32nd completed message or at the end; pos
    // is left after the last character looked at. In simulated mode the rest of the chunk,
    // unparsed, is one message (unit 1, port 1, the simulated function) and a frame in
    // progress stays pending.
    DecodeResult decode(std::string_view chunk, std::size_t& pos, const DmpSettings& s = {});

private:
    RxMessageTables* tables_;
    int firstSlot_ = 0;
    enum class State {
        Outside,            // between frames
        UnitId,             // unit-ID letters after SOH
        PortDigit,          // the digit after "."
        FunctionAfterPort,  // the function letter after the port digit
        AfterFunction,      // STX, EOT or a DLE
        Data,
        DataAfterDle,       // the character after a DLE in the data
        Check,              // the check character after EOT
    };
    State state_ = State::Outside;
    int xor_ = 0;
    int ring_ = 0;
    bool dle_ = false;
    int port_ = -1;
    int func_ = -1;
    std::string letters_;
    std::string data_;
};

// The frame for data `srcStr` to unit `srcID` (none: no letters), function `srcFunc`, port
// `srcPort` (outside 0..9: no port). DLE transparency is used when the data hold EOT;
// otherwise a CR ends the data unless the function is "r". Refused (nothing) for a function
// code outside 0..255.
[[nodiscard]] std::optional<std::string> MessDmp(std::string_view srcStr, std::optional<std::uint32_t> srcID = 0,
                                                 int srcFunc = kDmpDefaultFunction, int srcPort = 0);

// The unit a DMP frame goes to, from a number as the operator entered it: a negative number
// is no unit (no letters). False for a number above 4294967295 or not whole, which no frame
// can carry.
[[nodiscard]] bool DmpUnitOfNumber(double number, std::optional<std::uint32_t>* unit);

}  // namespace k45
