#pragma once
// Sync/escape frames and their RS485 variant, both ways.
//
// Plain frame:  SYNC LEN OPCODE DATA... CHK          LEN = data bytes + 2
// RS485 frame:  SYNC LEN OPCODE DST(2) SRC(2) DATA... CHK   LEN = data bytes + 6
// LEN is one byte, or two (high first, weight 2^dataBits) in extended-length mode. CHK makes
// the LEN bytes, OPCODE, addresses, DATA and CHK sum to 0 modulo 2^dataBits. Every byte after
// the SYNC equal to SYNC or ESC goes out as ESC followed by that byte; escape bytes count
// neither in LEN nor in the sum.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "serial/messages.h"

namespace k45 {

inline constexpr int kRs485HostAddress = 65534;
inline constexpr int kRs485BroadcastAddress = 65535;
// Longest LEN a two-byte LEN field may carry.
inline constexpr int kExtendedLenLimit = 16384;

// The port settings the codecs read; taken afresh at every call.
struct SyncEscSettings {
    int syncChar = 186;           // configured SYNC (`syncChar`)
    int escChar = 218;            // configured ESC (`escChar`)
    int dataBits = 8;             // working data bits; outside 4..8 the nearest of them is used
    bool extendedLength = false;  // two-byte LEN (`extendedLengthMode`)
};

// 2^dataBits - 1 for the data bits in force (4..8).
int SyncEscMask(const SyncEscSettings& s);

// The SYNC and ESC values in force: both masked to the data bits; when they mask to the same
// value they are moved apart, SYNC one up and ESC one down, staying inside the data width
// (all bits set: SYNC keeps the value and ESC is one below; no bit set: SYNC 1 and ESC 0).
int GetCompensatedSyncChar(const SyncEscSettings& s);
int GetCompensatedEscChar(const SyncEscSettings& s);

// Most message bytes (opcode, RS485 placeholders and data) one frame carries: LEN limit - 1.
int MaxSyncEscMessageLength(const SyncEscSettings& s);
// Worst-case frame size for a message of messLen bytes: every byte after the SYNC escaped.
std::size_t MaxSyncEscFrameLength(const SyncEscSettings& s, std::size_t messLen);

// Builders. The message is the opcode followed by the data (plain form), or the opcode, four
// placeholder bytes (not read; the builder writes the destination and the host source 65534)
// and the data (RS485 form). The result is the frame as a byte string, or nothing when the
// message is refused: empty (plain) or shorter than 5 bytes (RS485), longer than the LEN field
// allows, an RS485 destination outside 0..65535, or (16-bit form) an element outside 0..255.
// Byte values are masked to the data bits first, as the line would carry them, so escaping
// and the sum match what the receiver sees.
[[nodiscard]] std::optional<std::string> MessSyncEsc(const SyncEscSettings& s, std::span<const std::uint8_t> message);
[[nodiscard]] std::optional<std::string> MessSyncEsc(const SyncEscSettings& s, std::span<const std::int16_t> message);
[[nodiscard]] std::optional<std::string> MessSyncEscRS485(const SyncEscSettings& s, std::int32_t dstAddr,
                                                          std::span<const std::uint8_t> message);
[[nodiscard]] std::optional<std::string> MessSyncEscRS485(const SyncEscSettings& s, std::int32_t dstAddr,
                                                          std::span<const std::int16_t> message);

// Frames for the framed-message senders. dstAddr below 0 gives the plain form, 0..65535 the
// RS485 form to that destination. The opcode-only plain message is the opcode followed by one
// 0 byte; in RS485 form it is the opcode and the four placeholders. Refused as above.
[[nodiscard]] std::optional<std::string> FrameOpcodeOnly(const SyncEscSettings& s, std::uint8_t opCode,
                                                         std::int32_t dstAddr = -1);
[[nodiscard]] std::optional<std::string> FrameOpcodeAndData(const SyncEscSettings& s, std::uint8_t opCode,
                                                            std::span<const std::uint8_t> data,
                                                            std::int32_t dstAddr = -1);

// True when an RS485 frame is for the windows: not from the host, to the host or broadcast.
inline bool Rs485ForHost(const Rs485Message& m) {
    return m.srcAddr != kRs485HostAddress &&
           (m.dstAddr == kRs485HostAddress || m.dstAddr == kRs485BroadcastAddress);
}

// Where a sync/escape or RS485 decoder stands in the byte stream; kept between decode calls.
struct SyncEscFrameState {
    enum class Step { Hunting, Len, Opcode, Dst, Src, Data };  // Dst and Src: RS485 only; Data: data, then CHK
    Step state = Step::Hunting;
    bool escape = false;    // ESC seen, the next byte is taken as it is
    bool skip = false;      // overlong frame: read to its end, store nothing
    int sum = 0;
    int ring = 0;
    int lenBytes = 0;       // LEN bytes still to read; then the address byte counter
    int dataIndex = 0;
    long len = 0;           // remaining LEN
    std::int32_t addr = 0;  // address word being read
};

// Decoder of plain sync/escape frames into `rxSyncEscMessages` (kAddressed false) or of RS485
// frames into `rxRs485Messages` (kAddressed true); used as SyncEscDecoder and Rs485Decoder.
// State lives as long as the object and is never reset: a frame split over chunks completes
// when its rest arrives. Which RS485 frames reach the windows is the dispatch's decision
// (Rs485ForHost).
template <bool kAddressed>
class SyncEscFrameDecoder {
public:
    explicit SyncEscFrameDecoder(RxMessageTables& tables, int firstSlot = 0)
        : tables_(&tables), firstSlot_(CheckedFirstSlot(firstSlot)) {}

    void setFirstSlot(int firstSlot) { firstSlot_ = CheckedFirstSlot(firstSlot); }  // 0 or 32
    int firstSlot() const { return firstSlot_; }
    int ringIndex() const { return frame_.ring; }

    // Decodes chunk from pos on, stopping after the 32nd completed frame or at the chunk's
    // end; pos is left after the last byte looked at. Stray and broken input is counted in
    // the result's dribble, one per event; a frame announcing more data than a slot holds is
    // dropped and counted once. A frame with a wrong checksum is dropped without counting.
    DecodeResult decode(std::string_view chunk, std::size_t& pos, const SyncEscSettings& s);

private:
    RxMessageTables* tables_;
    int firstSlot_ = 0;
    SyncEscFrameState frame_;
};

extern template class SyncEscFrameDecoder<false>;
extern template class SyncEscFrameDecoder<true>;
using SyncEscDecoder = SyncEscFrameDecoder<false>;
using Rs485Decoder = SyncEscFrameDecoder<true>;

}  // namespace k45
