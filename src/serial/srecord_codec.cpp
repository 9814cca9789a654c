#include "serial/srecord_codec.h"

#include <algorithm>
#include <type_traits>

#include "base/hex_text.h"
#include "base/utilities.h"

namespace k45 {

namespace {

// Value of a hex digit of either case, -1 for any other character.
constexpr std::array<std::int8_t, 256> MakeHexTable() {
    std::array<std::int8_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'a' + 10);
    return t;
}
constexpr std::array<std::int8_t, 256> kHexValue = MakeHexTable();

template <class T>
std::optional<std::string> Build(std::int32_t tmpAddr, std::span<const T> data) {
    if constexpr (!std::is_same_v<T, std::uint8_t>) {
        if (!std::all_of(data.begin(), data.end(), [](T v) { return v >= 0 && v <= 255; })) return std::nullopt;
    }
    const std::int64_t len = static_cast<std::int64_t>(data.size());
    if (tmpAddr < 0 || tmpAddr > kSRecordMaxAddress) return std::nullopt;
    const bool wide = tmpAddr + len > 65535;
    if (len > (wide ? kSRecordMaxData24 : kSRecordMaxData16)) return std::nullopt;
    if (wide && tmpAddr + len > kSRecordMaxAddress + 1) return std::nullopt;

    std::string out;
    out.reserve(2 * static_cast<std::size_t>(len) + 10);
    int checksum = 255;
    auto put = [&](int byte) {
        out += ByteToHex2(byte);
        checksum = (checksum - byte) & 255;
    };
    put(static_cast<int>(len) + (wide ? 4 : 3));
    if (wide) put((tmpAddr >> 16) & 255);
    put((tmpAddr >> 8) & 255);
    put(tmpAddr & 255);
    for (T v : data) put(static_cast<int>(v));
    out += ByteToHex2(checksum);
    return out;
}

}  // namespace

SRecordDecoder::SRecordDecoder(RxMessageTables& tables, int firstSlot)
    : tables_(&tables), firstSlot_(CheckedFirstSlot(firstSlot)) {}

void SRecordDecoder::setFirstSlot(int firstSlot) { firstSlot_ = CheckedFirstSlot(firstSlot); }

DecodeResult SRecordDecoder::decode(std::string_view chunk, std::size_t& pos) {
    DecodeResult r;
    r.first = ring_;
    const std::size_t n = chunk.size();
    while (pos < n) {
        const int c = static_cast<unsigned char>(chunk[pos]);
        if (!IsPrintableChar(chunk.substr(pos++, 1))) {
            state_ = State::Idle;
            continue;
        }
        SRecordMessage& slot = tables_->rxSRecordMessages[static_cast<std::size_t>(firstSlot_ + ring_)];
        // A character out of place ends the record and is looked at again as a possible start.
        for (;;) {
            if (state_ == State::Idle) {
                if (c >= 'A' && c <= 'Z') {
                    slot.recType = static_cast<std::uint16_t>(c);
                    slot.recNum = 0;
                    slot.dataCount = 0;
                    slot.address = 0;
                    dataIndex_ = 0;
                    byte_ = 0;
                    sum_ = 1;
                    state_ = State::TypeDigit;
                }
                break;
            }
            if (state_ == State::TypeDigit) {
                if (c < '0' || c > '9') {
                    state_ = State::Idle;
                    continue;
                }
                slot.recNum = static_cast<std::uint16_t>(c - '0');
                if (c == '2') {
                    addrLeft_ = 3;
                    weight_ = 65536;
                    overhead_ = 4;
                } else if (c == '8') {
                    addrLeft_ = 1;
                    weight_ = 1;
                    overhead_ = 2;
                } else {
                    addrLeft_ = 2;
                    weight_ = 256;
                    overhead_ = 3;
                }
                state_ = State::CountHigh;
                break;
            }
            const int v = kHexValue[static_cast<std::size_t>(c)];
            if (v < 0) {
                state_ = State::Idle;
                continue;
            }
            switch (state_) {
            case State::CountHigh:
                byte_ += 16 * v;
                state_ = State::CountLow;
                break;
            case State::AddressHigh:
                byte_ += 16 * v;
                state_ = State::AddressLow;
                break;
            case State::DataHigh:
                byte_ += 16 * v;
                state_ = State::DataLow;
                break;
            case State::CountLow:
                byte_ += v;
                left_ = byte_;
                sum_ = (sum_ + byte_) & 255;
                slot.dataCount = static_cast<std::int16_t>(byte_ - overhead_);
                byte_ = 0;
                state_ = State::AddressHigh;
                break;
            case State::AddressLow:
                byte_ += v;
                slot.address += weight_ * byte_;
                sum_ = (sum_ + byte_) & 255;
                byte_ = 0;
                --left_;
                if (--addrLeft_ <= 0) {
                    state_ = State::DataHigh;
                } else {
                    weight_ /= 256;
                    state_ = State::AddressHigh;
                }
                break;
            case State::DataLow:
                byte_ += v;
                sum_ = (sum_ + byte_) & 255;
                if (--left_ > 0) {
                    if (dataIndex_ < kSRecordDataSlots)
                        slot.data[static_cast<std::size_t>(dataIndex_)] = static_cast<std::uint8_t>(byte_);
                    ++dataIndex_;
                    byte_ = 0;
                    state_ = State::DataHigh;
                    break;
                }
                byte_ = 0;
                state_ = State::Idle;
                if (sum_ == 0) {
                    ring_ = (ring_ + 1) & kRxRingMask;
                    if (++r.count == kRxRingSize) return r;
                }
                break;
            case State::Idle:
            case State::TypeDigit:
                break;  // taken above
            }
            break;
        }
    }
    return r;
}

std::optional<std::string> MessSRecord(std::int32_t tmpAddr, std::span<const std::uint8_t> data) {
    return Build(tmpAddr, data);
}

std::optional<std::string> MessSRecord(std::int32_t tmpAddr, std::span<const std::int16_t> data) {
    return Build(tmpAddr, data);
}

}  // namespace k45
