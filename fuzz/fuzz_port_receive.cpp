// The port object's receive path (receive events, bursts with their raised threshold, the
// 50 ms tick, the dispatch to every decoder) fed arbitrary bytes in arbitrary chunks at
// arbitrary moments. Must hold: every byte reaches the raw-data window once and in order,
// every callback gets a slot of this port's ring and a length its buffer holds, and the
// threshold is back to 1 once the line is quiet.
#include "fuzz_support.h"
#include "serial/class_comm.h"
#include "serial/crlf_codec.h"
#include "serial/dmp_codec.h"
#include "support/null_modem.h"

using namespace k45;

namespace {

struct CheckingWindow : CommForm {
    RxMessageTables* tables = nullptr;
    int firstSlot = 0;
    std::string raw;
    void RxRawData(const std::string& rxStr) override {
        FUZZ_CHECK(!rxStr.empty());
        raw += rxStr;
    }
    void RxDecodedData(std::uint16_t op, std::int16_t length, std::span<const std::uint8_t> data) override {
        FUZZ_CHECK(op <= 255 && length >= 0 && length <= kFrameDataSlots && data.size() == kFrameDataSlots);
    }
    void RxDecodedDataRS485(std::uint16_t op, std::int16_t length, std::span<const std::uint8_t> data,
                            std::int32_t srcAddr) override {
        FUZZ_CHECK(op <= 255 && length >= 0 && length <= kFrameDataSlots && data.size() == kFrameDataSlots);
        FUZZ_CHECK(srcAddr >= 0 && srcAddr <= 65535 && srcAddr != kRs485HostAddress);
    }
    void RxDmpData(std::int16_t slot) override {
        FUZZ_CHECK(slot >= firstSlot && slot < firstSlot + kRxRingSize);
        FUZZ_CHECK(tables->rxDmpMessages[static_cast<size_t>(slot)].data.size() <= static_cast<size_t>(kDmpMaxData));
    }
    void RxCrLfData(const std::string& line) override {
        FUZZ_CHECK(line.size() >= 3 && line.size() <= static_cast<size_t>(kMaxRxLineLength) + 2);
        FUZZ_CHECK(line.compare(line.size() - 2, 2, "\r\n") == 0);
    }
    void RxSRecordData(std::int16_t slot) override {
        FUZZ_CHECK(slot >= firstSlot && slot < firstSlot + kRxRingSize);
        FUZZ_CHECK(tables->rxSRecordMessages[static_cast<size_t>(slot)].dataCount < kSRecordDataSlots);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static fuzz::Program program;
    static const auto tables = std::make_unique<RxMessageTables>();
    FuzzedDataProvider in(bytes, size);
    test::VirtualScheduler clock;  // every run starts at the same moment
    program.state.scheduler = &clock;
    test::NullModemPair cable(clock);
    auto timer = clock.createTimer();
    classComm port(program.state, program.state.locale, clock, program.dialogs, *tables);
    const int id = in.ConsumeBool() ? 1 : 0;
    port.InitCommCtrl(&cable.a(), static_cast<std::int16_t>(id), 1, timer.get());
    static const int kBauds[] = {1200, 9600, 19200, 115200};
    port.ForceCommPortOpen(1, {.baudRate = kBauds[in.ConsumeIntegralInRange<int>(0, 3)]});
    FUZZ_CHECK(port.GetCommPortOpen());
    CheckingWindow w;
    w.tables = tables.get();
    w.firstSlot = port.firstSlot();
    port.RegisterForRawData(&w);
    port.RegisterForDecodedData(&w);
    port.RegisterForDecodedDataRS485(&w);
    port.RegisterForDmpData(&w);
    port.RegisterForRxCrLf(&w);
    port.RegisterForSRecord(&w);

    std::string sent;
    while (in.remaining_bytes() > 0) {
        const int gapMs = in.ConsumeIntegralInRange<int>(0, 160);
        const std::string chunk = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(1, 400));
        cable.inject(test::Direction::BtoA, chunk);
        sent += chunk;
        clock.advance(gapMs);
    }
    clock.advance(300);
    FUZZ_CHECK(w.raw == sent);
    FUZZ_CHECK(cable.a().receiveThreshold() == 1);
    port.DeRegisterForAll(&w);
    return 0;
}
