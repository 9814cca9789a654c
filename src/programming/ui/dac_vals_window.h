#pragma once
// The DAC values editor (formDacVals): the 25 DAC and tune adjust values that the production
// test panel and the tuning window put into the shared dacValues before they open it. OK hands
// the edited values back through dacValues and has the main window tell those two windows.
#include <array>
#include <cstdint>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "ui/tool_window.h"
#include "programming/editor_dac_values.h"

class QPushButton;

namespace k45 {

struct AppContext;
class NumBox;

class formDacVals : public ToolWindowBase, public EditorPage {
    Q_OBJECT
public:
    explicit formDacVals(AppContext& ctx, QWidget* parent = nullptr);

    // ToolForm: when dacValues changed since the editor took them, it takes them again (typed values
    // are dropped); otherwise the boxes keep what the operator typed.
    void Form_Activate() override;
    // EditorPage: show and read the boxes while loaded.
    void UpdateChanges() override;
    bool SaveChanges() override;

    const DacValues& referenceDacValues() const { return referenceDacValues_; }
    const DacValues& editDacValues() const { return editDacValues_; }

    using Triple = std::array<NumBox*, 3>;
    Triple textFrontAdj{}, textModAdj{}, textPowerAdj{}, textRxFC8{}, textRxFC5{}, textTxFC8{}, textTxFC5{};
    NumBox* textGain = nullptr;
    NumBox* textDev = nullptr;
    NumBox* textRssiCalAdj = nullptr;
    NumBox* textPwrCalAdj = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;
    QPushButton* buttonDefault = nullptr;

    // The boxes in the order of DacValueFields.
    std::array<NumBox*, kDacValueCount> boxes() const;

    void buttonOK_Click();
    void buttonCancel_Click();
    void buttonDefault_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void DisplayDacValues();
    void StoreDacValues();

    DacValues referenceDacValues_;
    DacValues editDacValues_;
};

}  // namespace k45
