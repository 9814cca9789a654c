#pragma once
// The Offline Link Test window (formLinkTst): the remote unit, the block settings, the counters
// and the link quality. The engine is LinkTestEngine.
#include <string>

#include "diagnostics/link_test.h"
#include "diagnostics/ui/diag_window_support.h"
#include "ui/tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace k45 {

class formLinkTst : public ToolWindowBase, public ParmsClient, private LinkTestView {
    Q_OBJECT
public:
    formLinkTst(AppContext& ctx, SharedDiagSettings settings, QWidget* parent = nullptr);
    ~formLinkTst() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void Form_Activate() override { engine_.Activate(); }
    void UpdateParms(bool parmsWereFound) override { engine_.UpdateParms(parmsWereFound); }

    LinkTestEngine& engine() { return engine_; }

    QLineEdit* textLocalId = nullptr;
    QLineEdit* textLocalShortId = nullptr;
    QComboBox* comboFilterIDs = nullptr;
    QLineEdit* textRemoteShortId = nullptr;
    NumBox* textNumOfBlocks = nullptr;
    QScrollBar* scrollBlockSize = nullptr;
    QLabel* labelBlockSize = nullptr;
    QScrollBar* scrollBlockDelay = nullptr;
    QLabel* labelBlockDelay = nullptr;
    QLabel* labelBlocksTxed = nullptr;
    QLabel* labelBlocksRxed = nullptr;
    QLabel* labelLinkQuality = nullptr;
    QPushButton* buttonStart = nullptr;
    QPushButton* buttonPause = nullptr;
    QPushButton* buttonClear = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    bool IsActiveChild() const override { return IsActiveForm(); }
    void RequestCurrentParameters(ParmsClient* client) override;
    void DisplayChanged() override;
    void FocusStart() override;
    void FocusPause() override;

    SharedDiagSettings settings_;
    LinkTestEngine engine_;
    bool wasLoaded_ = false;
    double numberOfBlocks_ = 0;
    std::int16_t blockDelaySetting_ = 4;
    std::int16_t blockSizeSetting_ = 10;
};

}  // namespace k45
