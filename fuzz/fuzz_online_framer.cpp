// The online diagnostic packet framer and packet decoder from arbitrary bytes in arbitrary
// chunk splits. Must hold: every packet handed on is nine bytes summing to 0, never more than
// eight bytes are carried, the same packets whatever the split, and a decoded record's values
// are the packet's.
#include "diagnostics/online_stream.h"
#include "fuzz_support.h"

using namespace k45;

namespace {

std::vector<std::string> Packets(const std::vector<std::string>& chunks) {
    OnlineFramer framer;
    std::vector<std::string> out;
    for (const auto& chunk : chunks) {
        framer.Feed(chunk, [&](const std::uint8_t* p) {
            unsigned sum = 0;
            for (int i = 0; i < kOnlinePacketBytes; ++i) sum += p[i];
            FUZZ_CHECK((sum & 255) == 0);
            out.emplace_back(reinterpret_cast<const char*>(p), kOnlinePacketBytes);
        });
        FUZZ_CHECK(framer.pending() >= 0 && framer.pending() < kOnlinePacketBytes);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider in(bytes, size);
    const std::vector<std::string> chunks = fuzz::Chunks(in);
    const auto split = Packets(chunks);
    const std::string all = fuzz::Joined(chunks);
    FUZZ_CHECK(split == Packets({all}));
    std::size_t from = 0;
    for (const auto& p : split) {
        // In stream order, each one where it stood.
        const std::size_t at = all.find(p, from);
        FUZZ_CHECK(at != std::string::npos);
        from = at + p.size();
        const auto r = DecodeOnlinePacket(reinterpret_cast<const std::uint8_t*>(p.data()), DefaultAlarmLimits(),
                                          DefaultFilterLimits(), 1772625600);
        if (r) FUZZ_CHECK(r->timeStamp == 1772625600 && r->alarmFlags >= 0 && r->alarmFlags < 1024);
    }
    return 0;
}
