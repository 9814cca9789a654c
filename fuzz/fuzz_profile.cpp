// The profile (INI) file reader. Must hold: what it writes reads back the same (every key of
// every section), a second write changes nothing, and a key written reads back as written.
#include "fuzz_support.h"
#include "platform/profile.h"

using namespace k45;

namespace {

// Section names as the document holds them, from its own written form.
std::vector<std::string> Sections(const IniDocument& d) {
    std::vector<std::string> out;
    IniDocument plain;
    const std::string text = d.serialize();
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find("\r\n", from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        from = end + 2;
        const std::size_t open = line.find_first_not_of(" \t");
        if (open == std::string::npos || line[open] != '[') continue;
        const std::size_t close = line.find(']', open);
        if (close == std::string::npos) continue;
        std::string name = line.substr(open + 1, close - open - 1);
        const std::size_t b = name.find_first_not_of(" \t"), e = name.find_last_not_of(" \t");
        out.push_back(b == std::string::npos ? "" : name.substr(b, e - b + 1));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider in(bytes, size);
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string value = in.ConsumeRandomLengthString(40);
    const std::string content = in.ConsumeRemainingBytesAsString();

    IniDocument first;
    first.parse(content);
    const std::string written = first.serialize();
    IniDocument second;
    second.parse(written);
    FUZZ_CHECK(second.serialize() == written);
    // Lookups scan the file; a sample of sections and keys keeps a run short.
    const std::vector<std::string> sections = Sections(first);
    for (std::size_t i = 0; i < sections.size() && i < 16; ++i) {
        FUZZ_CHECK(second.hasSection(sections[i]));
        const std::vector<std::string> keys = first.keys(sections[i]);
        for (std::size_t k = 0; k < keys.size() && k < 32; ++k)
            FUZZ_CHECK(first.get(sections[i], keys[k]) == second.get(sections[i], keys[k]));
    }

    // A key written with a plain value (one line, no blanks or quotes around it) reads back.
    const bool plainKey = !key.empty() && key.find_first_of("\r\n\0=[]\x1A", 0, 7) == std::string::npos &&
                          key.front() > ' ' && key.back() > ' ' && key.front() != ';';
    const bool plainValue = value.find_first_of("\r\n\0\x1A", 0, 4) == std::string::npos &&
                            (value.empty() || (value.front() > ' ' && value.back() > ' ' && value.front() != '"' &&
                                               value.front() != '\''));
    if (plainKey && plainValue) {
        const std::string section = sections.empty() ? "S" : sections.back();
        if (section.find_first_of("]\r\n\0", 0, 4) == std::string::npos) {
            second.set(section, key, value);
            FUZZ_CHECK(second.get(section, key) == value);
            IniDocument third;
            third.parse(second.serialize());
            FUZZ_CHECK(third.get(section, key) == value);
        }
    }
    return 0;
}
