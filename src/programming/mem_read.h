#pragma once
// The memory dump of the memory read window: "DE" (640 bytes of parameter EEPROM), then "DA"
// (768 bytes of RAM), each as reply records, and the byte-by-byte browsing of either image.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "wiring/dialogue_links.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

class MemReadView {
public:
    virtual ~MemReadView() = default;
    virtual std::string AddressText() const = 0;
    virtual void SetAddressText(const std::string& text) = 0;
    virtual void SetValueText(const std::string& text) = 0;
    // optionEeprom selected (else optionRam).
    virtual bool EepromSelected() const = 0;
    virtual void SetUpdateEnabled(bool on) = 0;
};

// The dump's states: each memory's records, all of them in, then the ready record that ends its
// answer.
enum class MemReadState {
    Idle,
    EepromRecords,        // "DE" sent: taking the EEPROM's records
    EepromComplete,       // every EEPROM block in, the end record awaited
    AwaitingEepromReady,  // the ready record after the EEPROM dump
    RamRecords,           // "DA" sent: taking the RAM's records
    RamComplete,          // every RAM block in, the end record awaited
    AwaitingRamReady,     // the final ready record
};

class MemReadDialogue : public CommForm {
public:
    static constexpr int kResponseMs = 1500;
    static constexpr int kEepromBytes = 640;
    static constexpr int kRamBytes = 768;

    MemReadDialogue(DialogueLinks links, MemReadView& view);
    ~MemReadDialogue() override;
    MemReadDialogue(const MemReadDialogue&) = delete;
    MemReadDialogue& operator=(const MemReadDialogue&) = delete;

    bool loaded() const { return load_.loaded(); }

    void Load();
    void Activate();
    // buttonUpdate: starts a dump when none runs.
    void Update();
    void Unload();
    // Shows the byte at the address box's address in the selected memory, wrapping an address
    // beyond the top to 0 and one below 0 (FFFF and above 8000) to the top.
    void DisplayMemoryValue();
    // Up/Down/Page Up/Page Down: steps the address by +1, -1, +16, -16 and shows the byte.
    void StepAddress(int step);

    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    MemReadState readState() const { return readState_; }
    // Whole 16-byte blocks of the current dump taken so far; a block that arrives again counts once.
    std::int32_t blocksReceived() const { return blocksReceived_; }
    const std::array<std::int16_t, kEepromBytes + 1>& eepromImage() const { return eepromImage_; }
    const std::array<std::int16_t, kRamBytes + 1>& ramImage() const { return ramImage_; }

private:
    void TimerResponseTick();
    void StartDump(std::int16_t blocks);
    void CountBlocks();
    void SendLine(const char* command);

    DialogueLinks links_;
    MemReadView& view_;
    ModemExchange exchange_;
    LoadToken load_;
    MemReadState readState_ = MemReadState::Idle;
    std::array<std::int16_t, kEepromBytes + 1> eepromImage_{};
    std::array<std::int16_t, kRamBytes + 1> ramImage_{};
    std::int16_t blocksExpected_ = 40;
    std::int32_t blocksReceived_ = 0;  // whole 16-byte blocks of the current dump taken so far
    std::array<bool, kRamBytes> arrived_{};  // bytes of the current dump taken so far
};

}  // namespace k45
