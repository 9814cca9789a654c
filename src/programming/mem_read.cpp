#include "programming/mem_read.h"

#include "base/hex_text.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

namespace {

// The states one dump passes through.
struct DumpStates {
    MemReadState records, complete, ready;
};
constexpr DumpStates kEepromDump{MemReadState::EepromRecords, MemReadState::EepromComplete,
                                 MemReadState::AwaitingEepromReady};
constexpr DumpStates kRamDump{MemReadState::RamRecords, MemReadState::RamComplete, MemReadState::AwaitingRamReady};

// 16-byte records in a whole dump of each memory.
constexpr std::int16_t kEepromBlocks = MemReadDialogue::kEepromBytes / 16;
constexpr std::int16_t kRamBlocks = MemReadDialogue::kRamBytes / 16;

}  // namespace

MemReadDialogue::MemReadDialogue(DialogueLinks links, MemReadView& view)
    : links_(links), view_(view), exchange_(links_.scheduler(), kResponseMs, [this] { TimerResponseTick(); }) {}

MemReadDialogue::~MemReadDialogue() { DetachDialogue(links_, *this, {&exchange_.timer()}); }

void MemReadDialogue::SendLine(const char* command) {
    if (classComm* port = links_.port()) SendCommand(*port, command);
}

void MemReadDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    readState_ = MemReadState::Idle;
    (void)RegisterWithPrimary(links_, *this, false, true);
    eepromImage_.fill(0);
    ramImage_.fill(0);
    view_.SetUpdateEnabled(true);
}

void MemReadDialogue::Activate() {
    if (classComm* port = links_.port()) ApplyProgrammingSettings(*port);
}

void MemReadDialogue::Update() {
    if (!load_.loaded() || readState_ != MemReadState::Idle) return;
    // A port that will not open has said why; Update stays available for the next try.
    if (!RegisterWithPrimary(links_, *this, false, true)) return;
    exchange_.Send([this] { SendLine("DE"); });
    readState_ = MemReadState::EepromRecords;
    StartDump(kEepromBlocks);
    view_.SetUpdateEnabled(false);
}

void MemReadDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    readState_ = MemReadState::Idle;
    DetachDialogue(links_, *this, {&exchange_.timer()});
}

void MemReadDialogue::StartDump(std::int16_t blocks) {
    arrived_.fill(false);
    blocksReceived_ = 0;
    blocksExpected_ = blocks;
}

void MemReadDialogue::CountBlocks() {
    blocksReceived_ = 0;
    for (std::size_t b = 0; b < static_cast<std::size_t>(blocksExpected_); ++b) {
        bool whole = true;
        for (std::size_t i = 0; i < 16 && whole; ++i) whole = arrived_[b * 16 + i];
        if (whole) ++blocksReceived_;
    }
}

void MemReadDialogue::TimerResponseTick() {
    exchange_.Stop();
    if (!load_.loaded() || readState_ == MemReadState::Idle) return;
    // The dump ends before the box shows: a late record that arrives while it is open is not
    // taken, so no "DA" goes out behind the operator's back.
    readState_ = MemReadState::Idle;
    const LoadToken::Value token = load_.Take();
    if (links_.dialogs())
        links_.dialogs()->messageBox("Unable to Complete Reading of Memory!", {}, MsgButtons::OK, MsgIcon::None);
    if (!load_.Still(token)) return;
    view_.SetUpdateEnabled(true);
}

void MemReadDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded() || readState_ == MemReadState::Idle) return;
    // Both dumps take the same steps: records, the end record, the ready record.
    const bool ram = readState_ == MemReadState::RamRecords || readState_ == MemReadState::RamComplete ||
                     readState_ == MemReadState::AwaitingRamReady;
    const DumpStates& dump = ram ? kRamDump : kEepromDump;
    const SRecordMessage* found = ReplyRecordWithin(links_.port(), rxSRecordIndex, ram ? kRamBytes : kEepromBytes);
    if (!found) return;
    const SRecordMessage& rec = *found;
    const bool ready = rec.recNum == 8 && rec.address == 0;
    if (readState_ == dump.records && rec.recNum == 1) {
        exchange_.Stop();
        std::int16_t* image = ram ? ramImage_.data() : eepromImage_.data();
        for (int i = 0; i < rec.dataCount && i < kSRecordDataSlots; ++i) {
            image[rec.address + i] = rec.data[static_cast<std::size_t>(i)];
            arrived_[static_cast<std::size_t>(rec.address + i)] = true;
        }
        CountBlocks();
        if (blocksReceived_ >= blocksExpected_) readState_ = dump.complete;
        exchange_.Await();
    } else if ((readState_ == dump.records || readState_ == dump.complete) && rec.recNum == 9) {
        // The modem may answer the EEPROM dump a second time after "DA" went out; that copy's
        // end record must not pass for the end of the RAM dump, so the RAM dump ends only
        // when all of it is in. An EEPROM dump that ends early still moves on to the RAM.
        if (readState_ == MemReadState::RamRecords) return;
        exchange_.Await();
        readState_ = dump.ready;
    } else if (readState_ == MemReadState::RamRecords && ready) {
        // An earlier answer ended here: its records were not RAM, so the RAM answer that
        // follows has to bring every block itself.
        exchange_.Await();
        StartDump(kRamBlocks);
    } else if (readState_ == dump.ready && ready) {
        exchange_.Stop();
        if (!ram) {
            exchange_.Send([this] { SendLine("DA"); });
            readState_ = MemReadState::RamRecords;
            StartDump(kRamBlocks);
        } else {
            readState_ = MemReadState::Idle;
            DisplayMemoryValue();
            view_.SetUpdateEnabled(true);
        }
    }
}

void MemReadDialogue::DisplayMemoryValue() {
    std::int32_t a = HexToWord(view_.AddressText());
    const bool eeprom = view_.EepromSelected();
    const std::int32_t size = eeprom ? kEepromBytes : kRamBytes;
    if (a >= size) a = a > 32768 ? size - 1 : 0;
    if (a < 0) a = 0;
    const std::int16_t value = eeprom ? eepromImage_[static_cast<std::size_t>(a)] : ramImage_[static_cast<std::size_t>(a)];
    view_.SetValueText(ByteToHex2(value));
    view_.SetAddressText(WordToHex4(a));
}

void MemReadDialogue::StepAddress(int step) {
    const std::int32_t a = (HexToWord(view_.AddressText()) + step) & 0xFFFF;
    view_.SetAddressText(WordToHex4(a));
    DisplayMemoryValue();
}

}  // namespace k45
