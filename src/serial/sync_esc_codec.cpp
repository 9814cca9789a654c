#include "serial/sync_esc_codec.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

namespace k45 {

namespace {

// Data bits 4 are handed to the device as they are, so a port may run frames 4 bits wide.
int ClampedDataBits(const SyncEscSettings& s) { return std::clamp(s.dataBits, 4, 8); }

// Both characters in force, computed once per call.
struct Framing {
    int mask;
    int bits;
    int sync;
    int esc;
    int lenBytes;
    long maxLen;  // largest LEN the field carries
};

Framing FramingOf(const SyncEscSettings& s) {
    Framing f{};
    f.bits = ClampedDataBits(s);
    f.mask = (1 << f.bits) - 1;
    f.sync = GetCompensatedSyncChar(s);
    f.esc = GetCompensatedEscChar(s);
    f.lenBytes = s.extendedLength ? 2 : 1;
    f.maxLen = s.extendedLength ? std::min<long>((1L << (2 * f.bits)) - 1, kExtendedLenLimit) : f.mask;
    return f;
}

class FrameWriter {
public:
    FrameWriter(const Framing& f, std::size_t reserve) : f_(f) {
        out_.reserve(reserve);
        out_.push_back(static_cast<char>(f_.sync));
    }
    void put(int value) {
        value &= f_.mask;
        if (value == f_.sync || value == f_.esc) out_.push_back(static_cast<char>(f_.esc));
        out_.push_back(static_cast<char>(value));
        sum_ = (sum_ - value) & f_.mask;
    }
    void putLen(long len) {
        if (f_.lenBytes == 2) put(static_cast<int>((len >> f_.bits) & f_.mask));
        put(static_cast<int>(len & f_.mask));
    }
    std::string finish() {
        put(sum_);
        return std::move(out_);
    }

private:
    const Framing& f_;
    std::string out_;
    int sum_ = 0;
};

template <class T>
bool AllBytes(std::span<const T> message) {
    if constexpr (std::is_same_v<T, std::uint8_t>) {
        return true;
    } else {
        return std::all_of(message.begin(), message.end(), [](T v) { return v >= 0 && v <= 255; });
    }
}

template <class T>
std::optional<std::string> BuildPlain(const SyncEscSettings& s, std::span<const T> message) {
    const Framing f = FramingOf(s);
    if (message.empty() || static_cast<long>(message.size()) + 1 > f.maxLen || !AllBytes(message))
        return std::nullopt;
    FrameWriter w(f, MaxSyncEscFrameLength(s, message.size()));
    w.putLen(static_cast<long>(message.size()) + 1);
    for (T v : message) w.put(static_cast<int>(v));
    return w.finish();
}

template <class T>
std::optional<std::string> BuildRs485(const SyncEscSettings& s, std::int32_t dstAddr,
                                      std::span<const T> message) {
    const Framing f = FramingOf(s);
    if (message.size() < 5 || static_cast<long>(message.size()) + 1 > f.maxLen ||
        dstAddr < 0 || dstAddr > 65535 || !AllBytes(message))
        return std::nullopt;
    FrameWriter w(f, MaxSyncEscFrameLength(s, message.size()));
    w.putLen(static_cast<long>(message.size()) + 1);
    w.put(static_cast<int>(message[0]));
    w.put(dstAddr >> 8);
    w.put(dstAddr & 255);
    w.put(kRs485HostAddress >> 8);
    w.put(kRs485HostAddress & 255);
    for (std::size_t i = 5; i < message.size(); ++i) w.put(static_cast<int>(message[i]));
    return w.finish();
}

}  // namespace

int SyncEscMask(const SyncEscSettings& s) { return (1 << ClampedDataBits(s)) - 1; }

int GetCompensatedSyncChar(const SyncEscSettings& s) {
    const int mask = SyncEscMask(s);
    const int sync = s.syncChar & mask;
    if (sync != (s.escChar & mask)) return sync;
    return sync == mask ? sync : sync + 1;
}

int GetCompensatedEscChar(const SyncEscSettings& s) {
    const int mask = SyncEscMask(s);
    const int esc = s.escChar & mask;
    if ((s.syncChar & mask) != esc) return esc;
    if (esc == mask) return esc - 1;
    return esc == 0 ? 0 : esc - 1;
}

int MaxSyncEscMessageLength(const SyncEscSettings& s) {
    return static_cast<int>(FramingOf(s).maxLen - 1);
}

std::size_t MaxSyncEscFrameLength(const SyncEscSettings& s, std::size_t messLen) {
    const std::size_t lenBytes = s.extendedLength ? 2 : 1;
    return 1 + 2 * (lenBytes + messLen + 1);
}

std::optional<std::string> MessSyncEsc(const SyncEscSettings& s, std::span<const std::uint8_t> message) {
    return BuildPlain(s, message);
}

std::optional<std::string> MessSyncEsc(const SyncEscSettings& s, std::span<const std::int16_t> message) {
    return BuildPlain(s, message);
}

std::optional<std::string> MessSyncEscRS485(const SyncEscSettings& s, std::int32_t dstAddr,
                                            std::span<const std::uint8_t> message) {
    return BuildRs485(s, dstAddr, message);
}

std::optional<std::string> MessSyncEscRS485(const SyncEscSettings& s, std::int32_t dstAddr,
                                            std::span<const std::int16_t> message) {
    return BuildRs485(s, dstAddr, message);
}

std::optional<std::string> FrameOpcodeOnly(const SyncEscSettings& s, std::uint8_t opCode,
                                           std::int32_t dstAddr) {
    if (dstAddr < 0) {
        const std::uint8_t message[2] = {opCode, 0};
        return MessSyncEsc(s, std::span<const std::uint8_t>(message));
    }
    const std::uint8_t message[5] = {opCode, 0, 0, 0, 0};
    return MessSyncEscRS485(s, dstAddr, std::span<const std::uint8_t>(message));
}

std::optional<std::string> FrameOpcodeAndData(const SyncEscSettings& s, std::uint8_t opCode,
                                              std::span<const std::uint8_t> data,
                                              std::int32_t dstAddr) {
    const std::size_t head = dstAddr < 0 ? 1 : 5;
    std::vector<std::uint8_t> message(head + data.size(), 0);
    message[0] = opCode;
    std::copy(data.begin(), data.end(), message.begin() + static_cast<std::ptrdiff_t>(head));
    if (dstAddr < 0) return MessSyncEsc(s, std::span<const std::uint8_t>(message));
    return MessSyncEscRS485(s, dstAddr, std::span<const std::uint8_t>(message));
}

// ---- decoders ----

namespace {

enum class Front { Take, Escape, Restart, Abandon };

// The escape handling both decoders apply to every byte inside a frame.
inline Front FrontByte(bool& escape, int b, const Framing& f) {
    if (!escape) {
        if (b == f.esc) {
            escape = true;
            return Front::Escape;
        }
        if (b == f.sync) return Front::Restart;
        return Front::Take;
    }
    if (b != f.sync && b != f.esc) return Front::Abandon;
    escape = false;
    return Front::Take;
}

using Step = SyncEscFrameState::Step;

// The frame walk of both decoders. An addressed (RS485) frame carries the destination and
// source words after the opcode, and its LEN counts them.
template <bool kAddressed, class Message>
DecodeResult DecodeFrames(SyncEscFrameState& st, std::array<Message, kRxTableSlots>& table, int firstSlot,
                          std::string_view chunk, std::size_t& pos, const SyncEscSettings& s) {
    const Framing f = FramingOf(s);
    DecodeResult r;
    r.first = st.ring;
    auto startFrame = [&] {
        st.escape = false;
        st.skip = false;
        st.sum = 0;
        st.len = 0;
        st.lenBytes = f.lenBytes;
        st.state = Step::Len;
    };

    const std::size_t n = chunk.size();
    while (pos < n) {
        const int b = static_cast<unsigned char>(chunk[pos++]);
        if (st.state == Step::Hunting) {
            if (b == f.sync) startFrame();
            else ++r.dribble;
            continue;
        }
        switch (FrontByte(st.escape, b, f)) {
        case Front::Escape:
            continue;
        case Front::Restart:
            ++r.dribble;
            startFrame();
            continue;
        case Front::Abandon:
            ++r.dribble;
            st.state = Step::Hunting;
            continue;
        case Front::Take:
            break;
        }
        st.sum = (st.sum + b) & f.mask;
        Message& slot = table[static_cast<std::size_t>(firstSlot + st.ring)];
        switch (st.state) {
        case Step::Len:
            if (--st.lenBytes > 0) {
                st.len += static_cast<long>(b) << f.bits;
                break;
            }
            st.len += b;
            if constexpr (kAddressed) st.len -= 4;  // LEN less the four address bytes
            if (st.len < 2) {
                ++r.dribble;
                st.state = Step::Hunting;
                break;
            }
            // A frame whose data would not fit a slot is read to its end and dropped.
            st.skip = st.len - 2 > kFrameDataSlots;
            if (st.skip) ++r.dribble;
            else slot.length = static_cast<std::int16_t>(st.len - 2);
            --st.len;
            st.state = Step::Opcode;
            break;
        case Step::Opcode:
            if (!st.skip) slot.opCode = static_cast<std::uint16_t>(b);
            st.dataIndex = 0;
            st.lenBytes = 2;
            st.addr = 0;
            st.state = kAddressed ? Step::Dst : Step::Data;
            break;
        case Step::Dst:
        case Step::Src:
            if constexpr (kAddressed) {
                if (--st.lenBytes > 0) {
                    st.addr = b << 8;
                    break;
                }
                st.addr += b;
                if (!st.skip) (st.state == Step::Dst ? slot.dstAddr : slot.srcAddr) = st.addr;
                st.lenBytes = 2;
                st.addr = 0;
                st.state = st.state == Step::Dst ? Step::Src : Step::Data;
            }
            break;
        case Step::Hunting:
            break;  // taken above
        case Step::Data:  // data, then the checksum
            if (--st.len >= 1) {
                if (!st.skip && st.dataIndex < kFrameDataSlots)
                    slot.data[static_cast<std::size_t>(st.dataIndex)] = static_cast<std::uint8_t>(b);
                ++st.dataIndex;
                break;
            }
            st.state = Step::Hunting;
            if (st.sum == 0 && !st.skip) {
                st.ring = (st.ring + 1) & kRxRingMask;
                if (++r.count == kRxRingSize) return r;
            }
            break;
        }
    }
    return r;
}

}  // namespace

template <bool kAddressed>
DecodeResult SyncEscFrameDecoder<kAddressed>::decode(std::string_view chunk, std::size_t& pos,
                                                     const SyncEscSettings& s) {
    if constexpr (kAddressed) return DecodeFrames<true>(frame_, tables_->rxRs485Messages, firstSlot_, chunk, pos, s);
    else return DecodeFrames<false>(frame_, tables_->rxSyncEscMessages, firstSlot_, chunk, pos, s);
}

template class SyncEscFrameDecoder<false>;
template class SyncEscFrameDecoder<true>;

}  // namespace k45
