// DMP frames from arbitrary bytes in arbitrary chunk splits: calls move on inside the chunk,
// slots stay in the ring, data never longer than a receiver keeps, port digits 0..9 or none,
// and (outside the simulated mode, where a chunk is a message by design) the same messages
// whatever the split.
#include <optional>
#include "fuzz_support.h"
#include "serial/dmp_codec.h"

using namespace k45;

namespace {

struct Message {
    std::optional<std::uint32_t> unitId;
    int portIndex, funcCode;
    bool dle;
    std::string data;
    bool operator==(const Message&) const = default;
};

std::vector<Message> DecodeAll(RxMessageTables& tables, const std::vector<std::string>& chunks, const DmpSettings& s,
                               int firstSlot) {
    DmpDecoder decoder(tables, firstSlot);
    std::vector<Message> out;
    fuzz::WalkChunks(
        chunks, [&](const std::string& chunk, std::size_t& pos) { return decoder.decode(chunk, pos, s); },
        [&](int ringIndex) {
            const int slot = firstSlot + ringIndex;
            FUZZ_CHECK(slot >= firstSlot && slot < firstSlot + kRxRingSize);
            const DmpMessage& m = tables.rxDmpMessages[static_cast<size_t>(slot)];
            FUZZ_CHECK(m.data.size() <= static_cast<size_t>(kDmpMaxData) || s.simulated);
            FUZZ_CHECK(m.portIndex >= -1 && m.portIndex <= 9);
            FUZZ_CHECK(m.funcCode <= 255);
            out.push_back({m.unitId, m.portIndex, m.funcCode, m.dleFlag, m.data});
        });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const auto tables = std::make_unique<RxMessageTables>();
    FuzzedDataProvider in(bytes, size);
    DmpSettings s;
    s.simulated = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    s.simulatedFunction = in.ConsumeIntegral<std::uint8_t>();
    const int firstSlot = in.ConsumeBool() ? kSecondaryFirstSlot : kPrimaryFirstSlot;
    const std::vector<std::string> chunks = fuzz::Chunks(in);
    const auto split = DecodeAll(*tables, chunks, s, firstSlot);
    if (!s.simulated) FUZZ_CHECK(split == DecodeAll(*tables, {fuzz::Joined(chunks)}, s, firstSlot));
    return 0;
}
