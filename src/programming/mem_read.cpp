#include "programming/mem_read.h"

#include "frame/app_context.h"
#include "frame/hex_text.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

MemReadDialogue::MemReadDialogue(AppContext& ctx, MemReadView& view) : ctx_(ctx), view_(view) {
    timerResponse_ = MakeDialogueTimer(ctx_.scheduler(), kResponseMs, [this] { TimerResponseTick(); });
}

MemReadDialogue::~MemReadDialogue() {
    timerResponse_->setEnabled(false);
    if (ctx_.classCommPrimary) ctx_.classCommPrimary->DeRegisterForAll(this);
}

void MemReadDialogue::Restart() {
    timerResponse_->setEnabled(false);
    timerResponse_->setEnabled(true);
}

void MemReadDialogue::Load() {
    if (loaded_) return;
    loaded_ = true;
    readState_ = 0;
    if (ctx_.classCommPrimary) ctx_.classCommPrimary->RegisterForSRecord(this);
    eepromImage_.fill(0);
    ramImage_.fill(0);
    view_.SetUpdateEnabled(true);
}

void MemReadDialogue::Activate() {
    if (ctx_.classCommPrimary) ApplyProgrammingSettings(*ctx_.classCommPrimary);
}

void MemReadDialogue::Update() {
    if (!loaded_ || readState_ != 0) return;
    if (ctx_.classCommPrimary) SendCommand(*ctx_.classCommPrimary, "DE");
    readState_ = 1;
    blocksReceived_ = 0;
    blocksExpected_ = 40;
    Restart();
    view_.SetUpdateEnabled(false);
}

void MemReadDialogue::Unload() {
    if (!loaded_) return;
    timerResponse_->setEnabled(false);
    loaded_ = false;
    readState_ = 0;
    if (ctx_.classCommPrimary) ctx_.classCommPrimary->DeRegisterForAll(this);
}

void MemReadDialogue::TimerResponseTick() {
    timerResponse_->setEnabled(false);
    if (!loaded_ || readState_ == 0) return;
    if (ctx_.dialogs())
        ctx_.dialogs()->messageBox("Unable to Complete Reading of Memory!", {}, MsgButtons::OK, MsgIcon::None);
    if (!loaded_) return;
    readState_ = 0;
    view_.SetUpdateEnabled(true);
}

void MemReadDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    classComm* port = ctx_.classCommPrimary;
    if (!loaded_ || !port || rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return;
    const SRecordMessage& rec = port->tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)];
    const bool ram = readState_ >= 4;
    const std::int64_t size = ram ? kRamBytes : kEepromBytes;
    if (rec.address < 0 || static_cast<std::int64_t>(rec.address) + rec.dataCount > size) return;
    if (rec.recType != kReplyLetter) return;
    auto store = [&](auto& image) {
        timerResponse_->setEnabled(false);
        for (int i = 0; i < rec.dataCount && i < kSRecordDataSlots; ++i)
            image[static_cast<std::size_t>(rec.address + i)] = rec.data[static_cast<std::size_t>(i)];
        ++blocksReceived_;
        timerResponse_->setEnabled(true);
        return blocksReceived_ >= blocksExpected_;
    };
    switch (readState_) {
    case 1:
    case 2:
        if (rec.recNum == 1 && readState_ == 1) {
            if (store(eepromImage_)) readState_ = 2;
        } else if (rec.recNum == 9) {
            Restart();
            readState_ = 3;
        }
        break;
    case 3:
        if (rec.recNum == 8 && rec.address == 0) {
            timerResponse_->setEnabled(false);
            SendCommand(*port, "DA");
            readState_ = 4;
            blocksReceived_ = 0;
            blocksExpected_ = 48;
            timerResponse_->setEnabled(true);
        }
        break;
    case 4:
    case 5:
        if (rec.recNum == 1 && readState_ == 4) {
            if (store(ramImage_)) readState_ = 5;
        } else if (rec.recNum == 9) {
            Restart();
            readState_ = 6;
        }
        break;
    case 6:
        if (rec.recNum == 8 && rec.address == 0) {
            timerResponse_->setEnabled(false);
            readState_ = 0;
            DisplayMemoryValue();
            view_.SetUpdateEnabled(true);
        }
        break;
    default:
        break;
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
