#pragma once
// The callbacks a port object makes on the windows registered with it. Every method does
// nothing by default, so a window overrides only the kinds it registers for.
#include <cstdint>
#include <span>
#include <string>

namespace k45 {

class CommForm {
public:
    virtual ~CommForm() = default;

    // A decoded sync/escape frame. rxData spans the whole data array of the received-message
    // table slot, which a later receive pass reuses (copy what is needed during the call);
    // rxLength bytes of it belong to the frame.
    virtual void RxDecodedData(std::uint16_t rxOpCode, std::int16_t rxLength,
                               std::span<const std::uint8_t> rxData) {
        (void)rxOpCode; (void)rxLength; (void)rxData;
    }
    virtual void RxDecodedDataRS485(std::uint16_t rxOpCode, std::int16_t rxLength,
                                    std::span<const std::uint8_t> rxData, std::int32_t srcAddr) {
        (void)rxOpCode; (void)rxLength; (void)rxData; (void)srcAddr;
    }
    // Slot index in the shared DMP message table.
    virtual void RxDmpData(std::int16_t rxDmpIndex) { (void)rxDmpIndex; }
    // The received chunk itself; the decoders read it after the windows, so it is read-only.
    virtual void RxRawData(const std::string& rxStr) { (void)rxStr; }
    // One received line followed by CR LF.
    virtual void RxCrLfData(const std::string& rxStr) { (void)rxStr; }
    // Slot index in the shared S-record table.
    virtual void RxSRecordData(std::int16_t rxSRecordIndex) { (void)rxSRecordIndex; }
    virtual void TxComplete() {}
    // The new line level.
    virtual void RxCtsChange(bool ctsFlag) { (void)ctsFlag; }
    virtual void RxDsrChange(bool dsrFlag) { (void)dsrFlag; }
    virtual void RxDcdChange(bool dcdFlag) { (void)dcdFlag; }
    virtual void RxBreakSignal() {}
    // A keyed send found no CTS within the CTS time-out.
    virtual void TxCtsTimeout() {}
};

}  // namespace k45
