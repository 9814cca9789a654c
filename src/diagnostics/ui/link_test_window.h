#pragma once
// The Offline Link Test window (formLinkTst): the remote unit, the block settings, the counters
// and the link quality. The engine is LinkTestEngine.
#include <string>

#include "diagnostics/link_test.h"
#include "diagnostics/ui/diag_dialogue_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace k45 {

class formLinkTst : public DiagDialogueWindow<LinkTestEngine, LinkTestView> {
    Q_OBJECT
public:
    formLinkTst(AppContext& ctx, SharedDiagSettings settings, QWidget* parent = nullptr);
    ~formLinkTst() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

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

private:
    void DisplayChanged() override;
    void FocusStart() override;
    void FocusPause() override;

    SharedDiagSettings settings_;
};

}  // namespace k45
