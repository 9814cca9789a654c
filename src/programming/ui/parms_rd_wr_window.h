#pragma once
// The read/write window (formParmsRdWr): reads the modem's parameters, writes them back,
// clones them. The dialogue itself is ParmsRdWrDialogue; the window shows its labels and
// progress and hands it the buttons.
//
// Also here: the function that makes the programming dialogue windows and enters them in the
// context's registry.
#include <array>
#include <cstdint>
#include <string>

#include "wiring/main_frame.h"
#include "programming/parms_rd_wr.h"
#include "ui/dialogue_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace k45 {

// Creates the read/write, version request, memory read and current-parameter windows as
// children of `owner` (their one owner) and enters them in ctx (toolForms and
// formParmsGetCurrent).
void AddProgrammingDialogueWindows(AppContext& ctx, QWidget& owner);

class formParmsRdWr : public DialogueWindow<ParmsRdWrDialogue, ParmsRdWrView>, public ParmsRdWrForm {
    Q_OBJECT
public:
    explicit formParmsRdWr(AppContext& ctx, QWidget* parent = nullptr);
    ~formParmsRdWr() override;

    // ParmsRdWrForm (the openers)
    bool autoStart() const override { return dialogue_->settings().autoStart; }
    void setAutoStart(bool on) override;
    ParmsMode parmsMode() const override { return dialogue_->settings().parmsMode; }
    void setParmsMode(ParmsMode mode) override;
    std::string Caption() const override;

    // Windows waiting for the result.
    bool RegisterForParms(ParmsClient* frm) { return dialogue_->RegisterForParms(frm); }
    bool DeRegisterForParms(ParmsClient* frm) { return dialogue_->DeRegisterForParms(frm); }
    bool RegisterForProgComplete(ProgCompleteClient* frm) { return dialogue_->RegisterForProgComplete(frm); }
    bool DeRegisterForProgComplete(ProgCompleteClient* frm) { return dialogue_->DeRegisterForProgComplete(frm); }

    std::array<QLabel*, 2> labelRdWr{};
    QProgressBar* panelPercent = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;

protected:
    void Form_Load() override;

private:
    // ParmsRdWrView
    void SetCaption(const std::string& text) override;
    void SetLabels(const std::string& upper, const std::string& lower) override;
    void SetPercent(int percent) override;
    void SetOkEnabled(bool on) override;
};

}  // namespace k45
