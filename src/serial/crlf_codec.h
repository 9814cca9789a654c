#pragma once
// Printable text lines (codes 32..126) ended by CR or LF, kept in the port's line ring.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "serial/messages.h"

namespace k45 {

inline constexpr int kMaxRxLineLength = 8192;

// Decoder into its own ring of 32 lines (`rxLines`), private to each port object. Empty lines
// and the other character of a CR LF pair are skipped; a character outside 32..126 (other
// than CR, LF) abandons the line in progress; a line longer than 8192 characters is
// abandoned. State lives as long as the object and is never reset.
class CrLfDecoder {
public:
    CrLfDecoder();

    int ringIndex() const { return ring_; }
    // The line at a ring index (taken And 31), without its terminator.
    const std::string& line(int ringIndex) const { return rxLines_[static_cast<std::size_t>(ringIndex & kRxRingMask)]; }

    // Decodes chunk from pos on, stopping after the 32nd completed line or at the end; pos is
    // left after the last character looked at.
    DecodeResult decode(std::string_view chunk, std::size_t& pos);

private:
    std::array<std::string, kRxRingSize> rxLines_;
    bool inLine_ = false;  // a line has started and not yet ended
    int ring_ = 0;
};

}  // namespace k45
