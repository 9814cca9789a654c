#pragma once
// Received-message slots shared by both port objects, and the result every receive decoder
// returns. The four tables form one object (RxMessageTables) created once per process (tests
// create their own) and handed by reference to both port objects: the primary port fills
// slots 0..31 of each table, the secondary port slots 32..63, each as a ring of 32; slot 64 is
// never written. Windows only read the slots, during their callback.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k45 {

inline constexpr int kRxTableSlots = 65;
inline constexpr int kRxRingSize = 32;
inline constexpr int kRxRingMask = kRxRingSize - 1;
inline constexpr int kPrimaryFirstSlot = 0;
inline constexpr int kSecondaryFirstSlot = 32;

// Data bytes a sync/escape or RS485 slot holds (indices 0..10240). A received frame that
// announces more is dropped, so `length` never exceeds this.
inline constexpr int kFrameDataSlots = 10241;
// Data bytes an S-record slot holds (indices 0..256).
inline constexpr int kSRecordDataSlots = 257;

struct SyncEscMessage {
    std::int16_t length = 0;  // data bytes of the frame
    std::uint16_t opCode = 0;
    std::array<std::uint8_t, kFrameDataSlots> data{};  // beyond `length`: what earlier frames left
};

struct Rs485Message {
    std::int16_t length = 0;  // data bytes of the frame
    std::uint16_t opCode = 0;
    std::int32_t dstAddr = 0;  // 0..65535
    std::int32_t srcAddr = 0;  // 0..65535
    std::array<std::uint8_t, kFrameDataSlots> data{};
};

struct DmpMessage {
    std::optional<std::uint32_t> unitId;  // none for a single control character
    std::int16_t portIndex = 0;     // 0..9, -1 when none
    std::uint16_t funcCode = 0;     // function letter, or the control character
    bool dleFlag = false;           // the frame used DLE transparency
    std::string data;
};

struct SRecordMessage {
    std::uint16_t recType = 0;    // character code of the record letter ("R" = 82)
    std::uint16_t recNum = 0;     // type digit 0..9
    std::int16_t dataCount = 0;   // negative for a count below the address width + 1
    std::int32_t address = 0;
    std::array<std::uint8_t, kSRecordDataSlots> data{};  // beyond `dataCount`: earlier records' bytes
};

// About 1.4 MB: create it on the heap (std::make_unique<RxMessageTables>()).
struct RxMessageTables {
    std::array<SyncEscMessage, kRxTableSlots> rxSyncEscMessages{};
    std::array<Rs485Message, kRxTableSlots> rxRs485Messages{};
    std::array<DmpMessage, kRxTableSlots> rxDmpMessages{};
    std::array<SRecordMessage, kRxTableSlots> rxSRecordMessages{};
};

// What one decode call completed. The messages sit at ring indices first, first + 1, ...
// (each And 31); the table slot of ring index i is the decoder's firstSlot + i.
struct DecodeResult {
    int count = 0;    // messages completed by this call, 0..32
    int first = 0;    // ring index of the first of them
    int dribble = 0;  // stray-byte events (sync/escape and RS485 decoders only)

    // The 16-bit packed form: count x 256 + first, or 0 when nothing was completed.
    std::uint16_t packed() const {
        return count == 0 ? std::uint16_t{0} : static_cast<std::uint16_t>(count * 256 + first);
    }
    // Ring index of the n-th message of this result (0 <= n < count).
    int ringIndex(int n) const { return (first + n) & kRxRingMask; }
};

// Keeps a slot origin inside the tables: 0..(65 - 32); anything else becomes 0.
inline int CheckedFirstSlot(int firstSlot) {
    return (firstSlot >= 0 && firstSlot <= kRxTableSlots - kRxRingSize) ? firstSlot : 0;
}

// Runs a decoder over a whole chunk in batches of at most one turn of the ring (32 messages),
// handing each batch to `deliver` before the next batch reuses the slots, so no message of a
// long chunk is lost. `decodeFrom(chunk, pos)` is one decode call (for example
// [&](std::string_view c, std::size_t& p) { return dec.decode(c, p, settings); }); every call
// advances pos. `deliver(const DecodeResult&)` is called for each result that completed a
// message or counted stray bytes.
template <class DecodeFrom, class Deliver>
void DecodeInBatches(std::string_view chunk, DecodeFrom&& decodeFrom, Deliver&& deliver) {
    std::size_t pos = 0;
    while (pos < chunk.size()) {
        const DecodeResult r = decodeFrom(chunk, pos);
        if (r.count > 0 || r.dribble > 0) deliver(r);
    }
}

}  // namespace k45
