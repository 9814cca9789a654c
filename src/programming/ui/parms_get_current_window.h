#pragma once
// The current-parameter reader window (formParmsGetCurrent): reads the modem's parameters into
// currentParameters for the windows that asked (ParmsReader) and closes itself. The dialogue
// itself is ParmsGetCurrentDialogue.
#include "programming/parms_get_current.h"
#include "ui/dialogue_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace k45 {

// It loads centred in the main window's area and keeps no settings.
class formParmsGetCurrent : public DialogueWindow<ParmsGetCurrentDialogue, ParmsGetCurrentView>, public ParmsReader {
    Q_OBJECT
public:
    explicit formParmsGetCurrent(AppContext& ctx, QWidget* parent = nullptr);
    ~formParmsGetCurrent() override;

    bool RegisterForParms(ParmsClient* frm) override { return dialogue_->RegisterForParms(frm); }
    bool DeRegisterForParms(ParmsClient* frm) override { return dialogue_->DeRegisterForParms(frm); }
    // Closes the window, which ends the read.
    void Unload() override;

    QLabel* labelGetSettings = nullptr;
    QProgressBar* panelPercent = nullptr;
    QPushButton* buttonCancel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SetPercent(int percent) override;
};

}  // namespace k45
