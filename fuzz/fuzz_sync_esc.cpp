// Sync/escape frames (built with FUZZ_RS485: RS485 frames) from arbitrary bytes in arbitrary
// chunk splits. Must hold: every call moves on and stays inside the chunk, no slot outside the
// decoder's ring, no length beyond the slot, addresses of 16 bits, the same frames
// whatever the split, and a frame rebuilt from a decoded message decodes to that message.
#include "fuzz_support.h"
#include "serial/sync_esc_codec.h"

using namespace k45;

namespace {

#ifdef FUZZ_RS485
constexpr bool kAddressed = true;
#else
constexpr bool kAddressed = false;
#endif

struct Frame {
    int opCode = 0;
    int dst = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const Frame&) const = default;
};

std::vector<Frame> DecodeAll(RxMessageTables& tables, const std::vector<std::string>& chunks, const SyncEscSettings& s,
                             int firstSlot) {
    SyncEscFrameDecoder<kAddressed> decoder(tables, firstSlot);
    std::vector<Frame> out;
    fuzz::WalkChunks(
        chunks, [&](const std::string& chunk, std::size_t& pos) { return decoder.decode(chunk, pos, s); },
        [&](int ringIndex) {
            const int slot = firstSlot + ringIndex;
            FUZZ_CHECK(slot >= firstSlot && slot < firstSlot + kRxRingSize && slot < kRxTableSlots - 1);
            Frame f;
            const std::uint8_t* data = nullptr;
            int length = 0;
            if constexpr (kAddressed) {
                const Rs485Message& m = tables.rxRs485Messages[static_cast<size_t>(slot)];
                FUZZ_CHECK(m.dstAddr >= 0 && m.dstAddr <= 65535 && m.srcAddr >= 0 && m.srcAddr <= 65535);
                f.opCode = m.opCode;
                f.dst = m.dstAddr;
                data = m.data.data();
                length = m.length;
            } else {
                const SyncEscMessage& m = tables.rxSyncEscMessages[static_cast<size_t>(slot)];
                f.opCode = m.opCode;
                data = m.data.data();
                length = m.length;
            }
            FUZZ_CHECK(length >= 0 && length <= kFrameDataSlots);
            FUZZ_CHECK(f.opCode >= 0 && f.opCode <= 255);
            f.data.assign(data, data + length);
            out.push_back(std::move(f));
        });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const auto tables = std::make_unique<RxMessageTables>();
    FuzzedDataProvider in(bytes, size);
    SyncEscSettings s;
    s.syncChar = in.ConsumeIntegralInRange<int>(-1, 256);
    s.escChar = in.ConsumeIntegralInRange<int>(-1, 256);
    s.dataBits = in.ConsumeIntegralInRange<int>(3, 9);
    s.extendedLength = in.ConsumeBool();
    const int firstSlot = in.ConsumeBool() ? kSecondaryFirstSlot : kPrimaryFirstSlot;
    const std::vector<std::string> chunks = fuzz::Chunks(in);

    const std::vector<Frame> split = DecodeAll(*tables, chunks, s, firstSlot);
    const std::vector<Frame> whole = DecodeAll(*tables, {fuzz::Joined(chunks)}, s, firstSlot);
    FUZZ_CHECK(split == whole);

    // What the decoder delivered, framed again by our own builder, decodes to the same.
    for (std::size_t i = 0; i < whole.size() && i < 4; ++i) {
        const Frame& f = whole[i];
        // Bytes wider than the data bits cannot come off such a line; the builder masks them.
        const int mask = SyncEscMask(s);
        if (f.opCode > mask || (f.dst >> 8) > mask || (f.dst & 0xFF) > mask ||
            std::any_of(f.data.begin(), f.data.end(), [&](int b) { return b > mask; })) continue;
        std::vector<std::uint8_t> message{static_cast<std::uint8_t>(f.opCode)};
        if (kAddressed) message.insert(message.end(), 4, 0);
        message.insert(message.end(), f.data.begin(), f.data.end());
        const std::optional<std::string> frame =
            kAddressed ? MessSyncEscRS485(s, f.dst, message) : MessSyncEsc(s, message);
        if (!frame) continue;
        FUZZ_CHECK(frame->size() <= MaxSyncEscFrameLength(s, message.size()));
        const std::vector<Frame> again = DecodeAll(*tables, {*frame}, s, firstSlot);
        FUZZ_CHECK(again.size() == 1 && again[0] == f);
    }
    return 0;
}
