#pragma once
// The terminal window (formHexText): four instances, the ASCII and hex terminals of the
// primary and secondary ports. The rules live in TerminalCore; this window holds the boxes,
// the entry line, the switches and the DMP fields.
#include <QPlainTextEdit>
#include <string>

#include "wiring/main_frame.h"
#include "tools/terminal_core.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QKeyEvent;
class QMimeData;
class QPushButton;
class QWidget;

namespace k45 {

struct LocaleInfo;
class NumBox;

// A 16-bit number of a window's settings section; the current value when missing or unusable.
std::int16_t ReadInt16(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                       const char* key, std::int16_t current);

class formHexText : public DialogueWindow<TerminalCore, TerminalView>, public TerminalForm {
    Q_OBJECT
public:
    formHexText(AppContext& ctx, TerminalCounters& counters, std::int32_t kind, QWidget* parent = nullptr);
    ~formHexText() override;

    void setThisFormType(std::int32_t kind) override;
    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    // Each activation re-applies the port's settings and gives the entry line the keyboard.
    void Form_Activate() override;

    // The array test's marker text.
    void RxSpecial(const std::string& text);

    std::int16_t formWidth = 0, formHeight = 0;

    QPlainTextEdit* textRxedData = nullptr;
    QPlainTextEdit* textTxedData = nullptr;
    QLineEdit* textTxData = nullptr;
    QPushButton* buttonSend = nullptr;
    QPushButton* buttonClearRx = nullptr;
    QPushButton* buttonClearTx = nullptr;
    QPushButton* buttonClose = nullptr;
    QCheckBox* checkPause = nullptr;
    QCheckBox* checkPacketNumbers = nullptr;
    QCheckBox* checkDmpTest = nullptr;
    QCheckBox* checkSRecordTest = nullptr;
    QCheckBox* checkDdeEnable = nullptr;
    QLabel* labelDmpID = nullptr;
    QLineEdit* textDmpID = nullptr;
    QLabel* labelDmpPort = nullptr;
    NumBox* textDmpPort = nullptr;
    QLabel* labelDmpFunc = nullptr;
    QLineEdit* textDmpFunc = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // F12 is a key of the whole window, whichever of its controls has the focus.
    bool F12Key(const QKeyEvent& key);
    // The entry line's focus and drop events.
    bool EntryLineEvent(QEvent* event);
    // The numeric box of this window a drag carries, if any.
    NumBox* DraggedBox(const QMimeData* mime) const;
    void AppendRx(const RxText& text) override;
    void AppendTx(const std::string& text, bool hex) override;
    std::string TxEntryText() const override;
    void SetTxEntryText(const std::string& text) override;
    std::uint32_t DmpStation() const override;
    int DmpDevice() const override;
    int DmpFunction() const override;
    void ShowDmpColumn(bool shown) override;
    void SetDmpTestChecked(bool on) override;
    void SetSRecordTestChecked(bool on) override;
    void SetDdeChecked(bool on) override;
    void HexTextChanged();

    TerminalCounters& counters_;
    std::int32_t kind_;
    QWidget* dmpColumn_ = nullptr;
    bool rewriting_ = false;
};

}  // namespace k45
