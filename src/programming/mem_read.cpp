#include "programming/mem_read.h"

#include "base/hex_text.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

MemReadDialogue::MemReadDialogue(DialogueLinks links, MemReadView& view)
    : links_(links), view_(view), exchange_(links_.scheduler(), kResponseMs, [this] { TimerResponseTick(); }) {}

MemReadDialogue::~MemReadDialogue() { DetachDialogue(links_, *this, {&exchange_.timer()}); }

void MemReadDialogue::SendLine(const char* command) {
    if (classComm* port = links_.port()) SendCommand(*port, command);
}

void MemReadDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    readState_ = 0;
    (void)RegisterWithPrimary(links_, *this, false, true);
    eepromImage_.fill(0);
    ramImage_.fill(0);
    view_.SetUpdateEnabled(true);
}

void MemReadDialogue::Activate() {
    if (classComm* port = links_.port()) ApplyProgrammingSettings(*port);
}

void MemReadDialogue::Update() {
    if (!load_.loaded() || readState_ != 0) return;
    // A port that will not open has said why; Update stays available for the next try.
    if (!RegisterWithPrimary(links_, *this, false, true)) return;
    exchange_.Send([this] { SendLine("DE"); });
    readState_ = 1;
    StartDump(40);
    view_.SetUpdateEnabled(false);
}

void MemReadDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    readState_ = 0;
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
    if (!load_.loaded() || readState_ == 0) return;
    // The dump ends before the box shows: a late record that arrives while it is open is not
    // taken, so no "DA" goes out behind the operator's back.
    readState_ = 0;
    const LoadToken::Value token = load_.Take();
    if (links_.dialogs())
        links_.dialogs()->messageBox("Unable to Complete Reading of Memory!", {}, MsgButtons::OK, MsgIcon::None);
    if (!load_.Still(token)) return;
    view_.SetUpdateEnabled(true);
}

void MemReadDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded() || readState_ == 0) return;
    // The EEPROM dump runs in states 1..3, the RAM dump in 4..6, each with the same steps:
    // records, the end record, the ready record.
    const bool ram = readState_ >= 4;
    const std::int32_t first = ram ? 4 : 1;
    const std::int32_t step = readState_ - first;  // 0 records, 1 all records in, 2 ready awaited
    const SRecordMessage* found = ReplyRecordWithin(links_.port(), rxSRecordIndex, ram ? kRamBytes : kEepromBytes);
    if (!found) return;
    const SRecordMessage& rec = *found;
    if (step == 0 && rec.recNum == 1) {
        exchange_.Stop();
        std::int16_t* image = ram ? ramImage_.data() : eepromImage_.data();
        for (int i = 0; i < rec.dataCount && i < kSRecordDataSlots; ++i) {
            image[rec.address + i] = rec.data[static_cast<std::size_t>(i)];
            arrived_[static_cast<std::size_t>(rec.address + i)] = true;
        }
        CountBlocks();
        if (blocksReceived_ >= blocksExpected_) readState_ = first + 1;
        exchange_.Await();
    } else if (step <= 1 && rec.recNum == 9) {
        // The modem may answer the EEPROM dump a second time after "DA" went out; that copy's
        // end record must not pass for the end of the RAM dump, so the RAM dump ends only
        // when all of it is in. An EEPROM dump that ends early still moves on to the RAM.
        if (ram && step == 0) return;
        exchange_.Await();
        readState_ = first + 2;
    } else if (ram && step == 0 && rec.recNum == 8 && rec.address == 0) {
        // An earlier answer ended here: its records were not RAM, so the RAM answer that
        // follows has to bring every block itself.
        exchange_.Await();
        StartDump(48);
    } else if (step == 2 && rec.recNum == 8 && rec.address == 0) {
        exchange_.Stop();
        if (!ram) {
            exchange_.Send([this] { SendLine("DA"); });
            readState_ = 4;
            StartDump(48);
        } else {
            readState_ = 0;
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
