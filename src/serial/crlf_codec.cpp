#include "serial/crlf_codec.h"

#include <algorithm>

namespace k45 {

namespace {

inline bool IsLineChar(unsigned char c) { return c >= 32 && c <= 126; }

}  // namespace

CrLfDecoder::CrLfDecoder() = default;

DecodeResult CrLfDecoder::decode(std::string_view chunk, std::size_t& pos) {
    DecodeResult r;
    r.first = ring_;
    const std::size_t n = chunk.size();
    while (pos < n) {
        const auto c = static_cast<unsigned char>(chunk[pos]);
        if (c == '\r' || c == '\n') {
            ++pos;
            if (inLine_) {
                inLine_ = false;
                ring_ = (ring_ + 1) & kRxRingMask;
                if (++r.count == kRxRingSize) return r;
            }
            continue;
        }
        if (!IsLineChar(c)) {
            ++pos;
            inLine_ = false;
            continue;
        }
        // A run of line characters is taken at once.
        std::size_t end = pos + 1;
        while (end < n && IsLineChar(static_cast<unsigned char>(chunk[end]))) ++end;
        std::string& line = rxLines_[static_cast<std::size_t>(ring_)];
        while (pos < end) {
            if (!inLine_) {
                line.clear();
                inLine_ = true;
            }
            const std::size_t room = static_cast<std::size_t>(kMaxRxLineLength) - line.size();
            const std::size_t take = std::min(room, end - pos);
            line.append(chunk.substr(pos, take));
            pos += take;
            if (pos < end) {
                // One character too many: the line is abandoned at it, and the next line
                // character starts a new one.
                ++pos;
                inLine_ = false;
            }
        }
    }
    return r;
}

}  // namespace k45
