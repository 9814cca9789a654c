#pragma once
// S-records: a record letter, a type digit, then hex-digit pairs: count, address (1, 2 or 3
// bytes by type), data and a checksum (255 - the low byte of the sum of count, address and
// data bytes). The modem's replies use the letter "R".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "serial/messages.h"

namespace k45 {

// Most data bytes a record carries with a 2-byte and with a 3-byte address (count <= 255).
inline constexpr int kSRecordMaxData16 = 252;
inline constexpr int kSRecordMaxData24 = 251;
inline constexpr std::int32_t kSRecordMaxAddress = 16777215;

// Decoder into `rxSRecordMessages`. Each record whose checksum holds is committed; a record
// with a character out of place is abandoned at that character (an upper-case letter starts
// the next one). State lives as long as the object and is never reset.
class SRecordDecoder {
public:
    explicit SRecordDecoder(RxMessageTables& tables, int firstSlot = 0);

    void setFirstSlot(int firstSlot);  // 0 or 32; checked (CheckedFirstSlot)
    int firstSlot() const { return firstSlot_; }
    int ringIndex() const { return ring_; }

    // Decodes chunk from pos on, stopping after the 32nd completed record or at the end; pos
    // is left after the last character looked at.
    DecodeResult decode(std::string_view chunk, std::size_t& pos);

private:
    RxMessageTables* tables_;
    int firstSlot_ = 0;
    // Each byte of a record comes as a high and a low hex digit.
    enum class State { Idle, TypeDigit, CountHigh, CountLow, AddressHigh, AddressLow, DataHigh, DataLow };
    State state_ = State::Idle;
    int ring_ = 0;
    int dataIndex_ = 0;
    int addrLeft_ = 0;    // address bytes still to read
    std::int32_t weight_ = 0;
    int byte_ = 0;        // byte being assembled
    int sum_ = 0;
    int left_ = 0;        // record bytes still to read
    int overhead_ = 0;    // address width + 1
};

// The record body after the letter and type digit: count, address, data, checksum in
// upper-case hex. The address has 2 bytes, or 3 when address + data length is above 65535.
// Refused (nothing) when the data do not fit one record (more than 252 bytes with a 2-byte
// address, 251 with a 3-byte one), the address is outside 0..16777215 or the data would run
// past FFFFFF, or (16-bit form) an element is outside 0..255.
[[nodiscard]] std::optional<std::string> MessSRecord(std::int32_t tmpAddr, std::span<const std::uint8_t> data);
[[nodiscard]] std::optional<std::string> MessSRecord(std::int32_t tmpAddr, std::span<const std::int16_t> data);

}  // namespace k45
