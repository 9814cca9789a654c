#pragma once
// The memory read window (formMemRead): dumps the modem's parameter EEPROM and RAM and shows
// either byte by byte. The dialogue itself is MemReadDialogue.
#include <QWidget>
#include <cstdint>
#include <string>

#include "frame/window_interfaces.h"
#include "programming/mem_read.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace k45 {

struct AppContext;
class NumBox;

class formMemRead : public QWidget, public ToolForm, private MemReadView {
    Q_OBJECT
public:
    explicit formMemRead(AppContext& ctx, QWidget* parent = nullptr);
    ~formMemRead() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    bool loaded() const override { return dialogue_.loaded(); }
    void Form_Activate() override { dialogue_.Activate(); }

    MemReadDialogue& dialogue() { return dialogue_; }

    QGroupBox* frameSelect = nullptr;
    QRadioButton* optionEeprom = nullptr;
    QRadioButton* optionRam = nullptr;
    NumBox* textAddress = nullptr;
    NumBox* textValue = nullptr;
    QPushButton* buttonUpdate = nullptr;
    QPushButton* buttonClose = nullptr;

    std::int16_t savedLeft = 0;
    std::int16_t savedTop = 0;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
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

    AppContext& ctx_;
    MemReadDialogue dialogue_;
    bool shownThisRun_ = false;
};

}  // namespace k45
