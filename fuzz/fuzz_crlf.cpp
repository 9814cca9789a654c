// CR/LF lines from arbitrary bytes in arbitrary chunk splits: calls move on inside the chunk,
// ring indices stay in the ring, a line is printable, not empty and never longer than the
// longest kept, and the same lines whatever the split.
#include "fuzz_support.h"
#include "serial/crlf_codec.h"

using namespace k45;

namespace {

std::vector<std::string> DecodeAll(const std::vector<std::string>& chunks) {
    CrLfDecoder decoder;
    std::vector<std::string> out;
    fuzz::WalkChunks(
        chunks, [&](const std::string& chunk, std::size_t& pos) { return decoder.decode(chunk, pos); },
        [&](int ringIndex) {
            const std::string& line = decoder.line(ringIndex);
            FUZZ_CHECK(!line.empty() && line.size() <= static_cast<size_t>(kMaxRxLineLength));
            for (char c : line) FUZZ_CHECK(c >= 32 && c <= 126);
            out.push_back(line);
        });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider in(bytes, size);
    const std::vector<std::string> chunks = fuzz::Chunks(in);
    const auto split = DecodeAll(chunks);
    const std::string all = fuzz::Joined(chunks);
    FUZZ_CHECK(split == DecodeAll({all}));
    // Every completed line is in the input as it was.
    for (const auto& line : split) FUZZ_CHECK(all.find(line) != std::string::npos);
    return 0;
}
