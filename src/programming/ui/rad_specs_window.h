#pragma once
// The radio spec editor (formRadSpecs): a modal window over a private copy of testDefaults, in
// which the Rx and Tx frequencies and the CN, FC 8 and FC 5 values of the Low, Mid and High
// test points of every radio type and range are edited. OK copies the table into testDefaults
// and writes radspecs.cfg.
#include <QDialog>
#include <array>
#include <cstdint>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "programming/editor_rad_specs.h"

class QComboBox;
class QPushButton;

namespace k45 {

struct AppContext;
class NumBox;

class formRadSpecs : public QDialog, public ToolForm {
    Q_OBJECT
public:
    explicit formRadSpecs(AppContext& ctx, QWidget* parent = nullptr);

    // ToolForm: the window keeps no settings.
    bool loaded() const override { return loaded_; }

    const ProductionTestRecord& editDefaults() const { return editDefaults_; }
    int shownType() const { return shownType_; }
    int shownRange() const { return shownRange_; }

    using Column = std::array<NumBox*, 3>;  // Low, Mid, High
    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
    Column textRxFreq{}, textTxFreq{}, textRxCN{}, textTxCN{}, textRxFC8{}, textTxFC8{}, textRxFC5{}, textTxFC5{};
    QPushButton* buttonReset = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;

    // Column c in the order of RadSpecTexts.
    Column& column(int c);

    void buttonOK_Click();
    void buttonCancel_Click();
    void buttonReset_Click();

    // The close box: the window closes without a question and drops the edits.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Form_Load();
    void Form_Unload();
    void ShowEntries(int type, int range);
    void StoreEntries(int type, int range);
    void comboRadioType_Click();
    void comboRadioRange_Click();

    AppContext& ctx_;
    ProductionTestRecord editDefaults_;
    int shownType_ = 0;
    int shownRange_ = 0;
    bool loaded_ = false;
    bool rangeClickEnabled_ = false;
};

// Shows the radio spec editor modally (through the context's Dialogs), centred over the main
// window; returns when it has closed.
void ShowRadSpecsEditor(AppContext& ctx);

}  // namespace k45
