#pragma once
// The memory read window (formMemRead): dumps the modem's parameter EEPROM and RAM and shows
// either byte by byte. The dialogue itself is MemReadDialogue.
#include <string>

#include "programming/mem_read.h"
#include "ui/dialogue_window.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace k45 {

class NumBox;

class formMemRead : public DialogueWindow<MemReadDialogue, MemReadView> {
    Q_OBJECT
public:
    explicit formMemRead(AppContext& ctx, QWidget* parent = nullptr);
    ~formMemRead() override;

    QGroupBox* frameSelect = nullptr;
    QRadioButton* optionEeprom = nullptr;
    QRadioButton* optionRam = nullptr;
    NumBox* textAddress = nullptr;
    NumBox* textValue = nullptr;
    QPushButton* buttonUpdate = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Up, Down, Page Up, Page Down without Shift, Ctrl or Alt: true when the key was taken.
    bool StepKey(QKeyEvent* e);
    std::string AddressText() const override;
    void SetAddressText(const std::string& text) override;
    void SetValueText(const std::string& text) override;
    bool EepromSelected() const override;
    void SetUpdateEnabled(bool on) override;
};

}  // namespace k45
