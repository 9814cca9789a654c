// Decoding speed of the receive codecs on realistic traffic, fed in the chunks a receive burst
// reads (2304 bytes: a fifth of a second at 115200 baud), with every completed message handed
// out as the dispatch does. Target: at least 50 MB/s for each decoder.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "serial/crlf_codec.h"
#include "serial/dmp_codec.h"
#include "serial/messages.h"
#include "serial/srecord_codec.h"
#include "serial/sync_esc_codec.h"

namespace {

using namespace k45;

constexpr std::size_t kChunk = 2304;
constexpr std::size_t kStreamBytes = 1 << 20;

std::vector<std::string> Chunks(const std::string& stream) {
    std::vector<std::string> out;
    for (std::size_t p = 0; p < stream.size(); p += kChunk) out.push_back(stream.substr(p, kChunk));
    return out;
}

// Packet-test style frames: 8..200 random data bytes (SYNC and ESC values included). The RS485
// frames come from remote stations 1..30 to the host; on the wire such a frame is a plain frame
// whose message starts with the opcode and the two addresses.
std::string SyncEscTraffic(bool rs485) {
    std::mt19937 rng(45);
    SyncEscSettings s;
    std::string stream;
    while (stream.size() < kStreamBytes) {
        std::vector<std::uint8_t> msg{static_cast<std::uint8_t>(rng() & 0xFF)};
        if (rs485) {
            const auto src = static_cast<std::uint8_t>(1 + rng() % 30);
            msg.insert(msg.end(), {0xFF, 0xFE, 0x00, src});
        }
        const std::size_t n = 8 + rng() % 193;
        for (std::size_t i = 0; i < n; ++i) msg.push_back(static_cast<std::uint8_t>(rng() & 0xFF));
        stream += *MessSyncEsc(s, std::span<const std::uint8_t>(msg));
    }
    return stream;
}

// Terminal DMP test traffic: text frames to a few units, with ACKs between them.
std::string DmpTraffic() {
    std::mt19937 rng(45);
    std::string stream;
    while (stream.size() < kStreamBytes) {
        std::string text;
        const std::size_t n = 20 + rng() % 180;
        for (std::size_t i = 0; i < n; ++i) text.push_back(static_cast<char>(' ' + rng() % 95));
        stream += *MessDmp(text, 1000 + rng() % 5000, 's', static_cast<int>(rng() % 10));
        stream.push_back('\x06');
    }
    return stream;
}

// Parameter-image dumps: 40 "R1" records of 16 bytes, then the end and acknowledgement.
std::string SRecordTraffic() {
    std::mt19937 rng(45);
    std::string stream;
    while (stream.size() < kStreamBytes) {
        stream += "K45MR 3.20 Copyright\r\nR80200FD\r\n";
        for (int r = 0; r < 40; ++r) {
            std::vector<std::uint8_t> data(16);
            for (auto& b : data) b = static_cast<std::uint8_t>(rng() & 0xFF);
            stream += "R1" + *MessSRecord(r * 16, std::span<const std::uint8_t>(data)) + "\r\n";
        }
        stream += "R9030000FC\r\nR80200FD\r\n";
    }
    return stream;
}

// Diagnostic and version replies: printable lines of 10..120 characters.
std::string LineTraffic() {
    std::mt19937 rng(45);
    std::string stream;
    while (stream.size() < kStreamBytes) {
        const std::size_t n = 10 + rng() % 111;
        for (std::size_t i = 0; i < n; ++i) stream.push_back(static_cast<char>(' ' + rng() % 95));
        stream += "\r\n";
    }
    return stream;
}

template <class Run>
void RunChunks(benchmark::State& state, const std::string& stream, Run&& run) {
    const auto chunks = Chunks(stream);
    std::size_t messages = 0;
    for (auto _ : state) {
        for (const auto& c : chunks) messages += run(c);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["messages"] = benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
}

// Decodes one chunk in batches and hands each completed message's ring index to `count`,
// which looks at the slot as a window would and says how many messages it stands for.
template <class DecodeFrom, class Count>
std::size_t DecodeChunk(const std::string& chunk, DecodeFrom&& decodeFrom, Count&& count) {
    std::size_t n = 0;
    DecodeInBatches(chunk, decodeFrom, [&](const DecodeResult& r) {
        for (int i = 0; i < r.count; ++i) n += count(r.ringIndex(i));
    });
    return n;
}

void BM_SyncEscDecode(benchmark::State& state) {
    auto tables = std::make_unique<RxMessageTables>();
    SyncEscDecoder dec(*tables);
    const SyncEscSettings s;
    RunChunks(state, SyncEscTraffic(false), [&](const std::string& chunk) {
        return DecodeChunk(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p, s); },
            [&](int ring) {
                benchmark::DoNotOptimize(tables->rxSyncEscMessages[static_cast<std::size_t>(ring)].length);
                return 1;
            });
    });
}
BENCHMARK(BM_SyncEscDecode);

void BM_Rs485Decode(benchmark::State& state) {
    auto tables = std::make_unique<RxMessageTables>();
    Rs485Decoder dec(*tables);
    const SyncEscSettings s;
    RunChunks(state, SyncEscTraffic(true), [&](const std::string& chunk) {
        return DecodeChunk(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p, s); },
            [&](int ring) { return Rs485ForHost(tables->rxRs485Messages[static_cast<std::size_t>(ring)]) ? 1 : 0; });
    });
}
BENCHMARK(BM_Rs485Decode);

void BM_DmpDecode(benchmark::State& state) {
    auto tables = std::make_unique<RxMessageTables>();
    DmpDecoder dec(*tables);
    const DmpSettings s;
    RunChunks(state, DmpTraffic(), [&](const std::string& chunk) {
        return DecodeChunk(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p, s); },
            [&](int ring) {
                benchmark::DoNotOptimize(tables->rxDmpMessages[static_cast<std::size_t>(ring)].funcCode);
                return 1;
            });
    });
}
BENCHMARK(BM_DmpDecode);

void BM_SRecordDecode(benchmark::State& state) {
    auto tables = std::make_unique<RxMessageTables>();
    SRecordDecoder dec(*tables);
    RunChunks(state, SRecordTraffic(), [&](const std::string& chunk) {
        return DecodeChunk(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p); },
            [&](int ring) {
                benchmark::DoNotOptimize(tables->rxSRecordMessages[static_cast<std::size_t>(ring)].address);
                return 1;
            });
    });
}
BENCHMARK(BM_SRecordDecode);

void BM_CrLfDecode(benchmark::State& state) {
    CrLfDecoder dec;
    RunChunks(state, LineTraffic(), [&](const std::string& chunk) {
        return DecodeChunk(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p); },
            [&](int ring) {
                // The dispatch hands each line over as a copy followed by CR LF.
                std::string line = dec.line(ring) + "\r\n";
                benchmark::DoNotOptimize(line.data());
                return 1;
            });
    });
}
BENCHMARK(BM_CrLfDecode);

}  // namespace

BENCHMARK_MAIN();
