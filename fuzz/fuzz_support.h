#pragma once
// Shared pieces of the fuzz harnesses: a check that stops the run with a message (so a broken
// invariant is a finding like a crash), the program state the loaders need, a silent dialogs
// service, and a file to hand the file loaders.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "params/startup_defaults.h"
#include "platform/dialogs.h"
#include "serial/messages.h"
#include "support/virtual_scheduler.h"

#define FUZZ_CHECK(cond)                                                                         \
    do {                                                                                         \
        if (!(cond)) {                                                                           \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond);   \
            std::abort();                                                                        \
        }                                                                                        \
    } while (0)

namespace k45::fuzz {

// Message boxes and file dialogs answered at once, as a user clicking OK and Cancel.
class SilentDialogs : public Dialogs {
public:
    MsgAnswer messageBox(const std::string&, const std::string&, MsgButtons, MsgIcon) override { return MsgAnswer::OK; }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    int runModal(const std::string&, const std::function<int()>&) override { return 0; }
};

// A program folder in memory-backed storage where there is one (the loaders read files).
inline const std::string& WorkFolder() {
    static const std::string folder = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string t = base + "/k45mr-fuzz-XXXXXX";
        if (!mkdtemp(t.data())) std::abort();
        return t;
    }();
    return folder;
}

inline std::string WriteWorkFile(const std::string& name, const std::string& bytes) {
    const std::string path = WorkFolder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

// The program's state after start-up: built-in tables, a fixed clock, silent dialogs.
struct Program {
    test::VirtualScheduler clock;
    SilentDialogs dialogs;
    AppState state;
    Program() {
        clock.setWallClock(1772625600);
        state.scheduler = &clock;
        state.dialogs = &dialogs;
        state.places.programFolder = WorkFolder();
        state.places.tempFolder = WorkFolder();
        state.places.configFolder = WorkFolder();
        InitDefaultTables(state);
    }
};

// The input cut into chunks at points the input itself chooses: a length byte, then that
// many bytes, and so on.
inline std::vector<std::string> Chunks(FuzzedDataProvider& in) {
    std::vector<std::string> chunks;
    while (in.remaining_bytes() > 0) {
        const size_t n = in.ConsumeIntegralInRange<size_t>(1, 300);
        chunks.push_back(in.ConsumeBytesAsString(n));
    }
    return chunks;
}

// Feeds every chunk to a decoder call by call. Each call must move on inside its chunk and
// report ring indexes inside the ring; each completed message's ring index goes to onMessage.
template <class DecodeCall, class OnMessage>
void WalkChunks(const std::vector<std::string>& chunks, DecodeCall decode, OnMessage onMessage) {
    for (const auto& chunk : chunks) {
        std::size_t pos = 0;
        while (pos < chunk.size()) {
            const std::size_t before = pos;
            const DecodeResult r = decode(chunk, pos);
            FUZZ_CHECK(pos > before && pos <= chunk.size());
            FUZZ_CHECK(r.count >= 0 && r.count <= kRxRingSize && r.first >= 0 && r.first < kRxRingSize);
            FUZZ_CHECK(r.dribble >= 0);
            for (int n = 0; n < r.count; ++n) onMessage(r.ringIndex(n));
        }
    }
}

inline std::string Joined(const std::vector<std::string>& chunks) {
    std::string all;
    for (const auto& c : chunks) all += c;
    return all;
}

}  // namespace k45::fuzz
