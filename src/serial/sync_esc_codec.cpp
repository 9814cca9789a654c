#include "serial/sync_esc_codec.h"

#include <algorithm>
#include <type_traits>
#include <vector>

namespace k45 {

namespace {

int ClampedDataBits(const SyncEscSettings& s) { return std::clamp(s.dataBits, 5, 8); }

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

}  // namespace

SyncEscDecoder::SyncEscDecoder(RxMessageTables& tables, int firstSlot)
    : tables_(&tables), firstSlot_(CheckedFirstSlot(firstSlot)) {}

void SyncEscDecoder::setFirstSlot(int firstSlot) { firstSlot_ = CheckedFirstSlot(firstSlot); }

DecodeResult SyncEscDecoder::decode(std::string_view chunk, std::size_t& pos, const SyncEscSettings& s) {
    const Framing f = FramingOf(s);
    DecodeResult r;
    r.first = ring_;
    auto startFrame = [&] {
        escape_ = false;
        skip_ = false;
        sum_ = 0;
        len_ = 0;
        lenBytes_ = f.lenBytes;
        state_ = 1;
    };

    const std::size_t n = chunk.size();
    while (pos < n) {
        const int b = static_cast<unsigned char>(chunk[pos++]);
        if (state_ == 0) {
            if (b == f.sync) startFrame();
            else ++r.dribble;
            continue;
        }
        switch (FrontByte(escape_, b, f)) {
        case Front::Escape:
            continue;
        case Front::Restart:
            ++r.dribble;
            startFrame();
            continue;
        case Front::Abandon:
            ++r.dribble;
            state_ = 0;
            continue;
        case Front::Take:
            break;
        }
        sum_ = (sum_ + b) & f.mask;
        SyncEscMessage& slot = tables_->rxSyncEscMessages[static_cast<std::size_t>(firstSlot_ + ring_)];
        switch (state_) {
        case 1:
            if (--lenBytes_ > 0) {
                len_ += static_cast<long>(b) << f.bits;
                break;
            }
            len_ += b;
            if (len_ < 2) {
                ++r.dribble;
                state_ = 0;
                break;
            }
            // A frame whose data would not fit a slot is read to its end and dropped.
            skip_ = len_ - 2 > kFrameDataSlots;
            if (skip_) ++r.dribble;
            else slot.length = static_cast<std::int16_t>(len_ - 2);
            --len_;
            state_ = 2;
            break;
        case 2:
            if (!skip_) slot.opCode = static_cast<std::uint16_t>(b);
            dataIndex_ = 0;
            state_ = 3;
            break;
        default:  // 3: data, then the checksum
            if (--len_ >= 1) {
                if (!skip_ && dataIndex_ < kFrameDataSlots)
                    slot.data[static_cast<std::size_t>(dataIndex_)] = static_cast<std::uint8_t>(b);
                ++dataIndex_;
                break;
            }
            state_ = 0;
            if (sum_ == 0 && !skip_) {
                ring_ = (ring_ + 1) & kRxRingMask;
                if (++r.count == kRxRingSize) return r;
            }
            break;
        }
    }
    return r;
}

Rs485Decoder::Rs485Decoder(RxMessageTables& tables, int firstSlot)
    : tables_(&tables), firstSlot_(CheckedFirstSlot(firstSlot)) {}

void Rs485Decoder::setFirstSlot(int firstSlot) { firstSlot_ = CheckedFirstSlot(firstSlot); }

DecodeResult Rs485Decoder::decode(std::string_view chunk, std::size_t& pos, const SyncEscSettings& s) {
    const Framing f = FramingOf(s);
    DecodeResult r;
    r.first = ring_;
    auto startFrame = [&] {
        escape_ = false;
        skip_ = false;
        sum_ = 0;
        len_ = 0;
        lenBytes_ = f.lenBytes;
        state_ = 1;
    };

    const std::size_t n = chunk.size();
    while (pos < n) {
        const int b = static_cast<unsigned char>(chunk[pos++]);
        if (state_ == 0) {
            if (b == f.sync) startFrame();
            else ++r.dribble;
            continue;
        }
        switch (FrontByte(escape_, b, f)) {
        case Front::Escape:
            continue;
        case Front::Restart:
            ++r.dribble;
            startFrame();
            continue;
        case Front::Abandon:
            ++r.dribble;
            state_ = 0;
            continue;
        case Front::Take:
            break;
        }
        sum_ = (sum_ + b) & f.mask;
        Rs485Message& slot = tables_->rxRs485Messages[static_cast<std::size_t>(firstSlot_ + ring_)];
        switch (state_) {
        case 1:
            if (--lenBytes_ > 0) {
                len_ += static_cast<long>(b) << f.bits;
                break;
            }
            len_ = len_ + b - 4;  // LEN less the four address bytes
            if (len_ < 2) {
                ++r.dribble;
                state_ = 0;
                break;
            }
            skip_ = len_ - 2 > kFrameDataSlots;
            if (skip_) ++r.dribble;
            else slot.length = static_cast<std::int16_t>(len_ - 2);
            --len_;
            state_ = 2;
            break;
        case 2:
            if (!skip_) slot.opCode = static_cast<std::uint16_t>(b);
            lenBytes_ = 2;
            addr_ = 0;
            state_ = 3;
            break;
        case 3:
        case 4:
            if (--lenBytes_ > 0) {
                addr_ = b << 8;
                break;
            }
            addr_ += b;
            if (!skip_) (state_ == 3 ? slot.dstAddr : slot.srcAddr) = addr_;
            lenBytes_ = 2;
            addr_ = 0;
            dataIndex_ = 0;
            state_ = state_ == 3 ? 4 : 5;
            break;
        default:  // 5: data, then the checksum
            if (--len_ >= 1) {
                if (!skip_ && dataIndex_ < kFrameDataSlots)
                    slot.data[static_cast<std::size_t>(dataIndex_)] = static_cast<std::uint8_t>(b);
                ++dataIndex_;
                break;
            }
            state_ = 0;
            if (sum_ == 0 && !skip_) {
                ring_ = (ring_ + 1) & kRxRingMask;
                if (++r.count == kRxRingSize) return r;
            }
            break;
        }
    }
    return r;
}

}  // namespace k45
