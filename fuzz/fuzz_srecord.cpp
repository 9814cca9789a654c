// S-records from arbitrary bytes in arbitrary chunk splits: calls move on inside the chunk,
// slots stay in the ring, a record's data never longer than its slot, the same records
// whatever the split, and a decoded record built again by our own builder decodes the same.
#include "fuzz_support.h"
#include "serial/srecord_codec.h"

using namespace k45;

namespace {

struct Record {
    int type, num, count;
    std::int32_t address;
    std::vector<std::uint8_t> data;
    bool operator==(const Record&) const = default;
};

std::vector<Record> DecodeAll(RxMessageTables& tables, const std::vector<std::string>& chunks, int firstSlot) {
    SRecordDecoder decoder(tables, firstSlot);
    std::vector<Record> out;
    fuzz::WalkChunks(
        chunks, [&](const std::string& chunk, std::size_t& pos) { return decoder.decode(chunk, pos); },
        [&](int ringIndex) {
            const int slot = firstSlot + ringIndex;
            FUZZ_CHECK(slot >= firstSlot && slot < firstSlot + kRxRingSize);
            const SRecordMessage& m = tables.rxSRecordMessages[static_cast<size_t>(slot)];
            FUZZ_CHECK(m.dataCount <= kSRecordDataSlots - 1);
            FUZZ_CHECK(m.recNum <= 9);
            FUZZ_CHECK(m.address >= 0 && m.address <= kSRecordMaxAddress);
            const int count = m.dataCount < 0 ? 0 : m.dataCount;
            out.push_back({m.recType, m.recNum, m.dataCount, m.address,
                           std::vector<std::uint8_t>(m.data.begin(), m.data.begin() + count)});
        });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const auto tables = std::make_unique<RxMessageTables>();
    FuzzedDataProvider in(bytes, size);
    const int firstSlot = in.ConsumeBool() ? kSecondaryFirstSlot : kPrimaryFirstSlot;
    const std::vector<std::string> chunks = fuzz::Chunks(in);
    const auto split = DecodeAll(*tables, chunks, firstSlot);
    const auto whole = DecodeAll(*tables, {fuzz::Joined(chunks)}, firstSlot);
    FUZZ_CHECK(split == whole);
    for (std::size_t i = 0; i < whole.size() && i < 4; ++i) {
        const Record& rec = whole[i];
        const std::optional<std::string> body = MessSRecord(rec.address, rec.data);
        if (!body) continue;
        const bool wide = rec.address + static_cast<std::int64_t>(rec.data.size()) > 65535;
        const auto again = DecodeAll(*tables, {std::string("R") + (wide ? "2" : "1") + *body + "\r\n"}, firstSlot);
        FUZZ_CHECK(again.size() == 1);
        FUZZ_CHECK(again[0].address == rec.address && again[0].data == rec.data);
    }
    return 0;
}
