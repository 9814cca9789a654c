#pragma once
// The current-parameter reader window (formParmsGetCurrent): reads the modem's parameters into
// currentParameters for the windows that asked (ParmsReader) and closes itself. The dialogue
// itself is ParmsGetCurrentDialogue.
#include "programming/parms_get_current.h"
#include "ui/tool_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace k45 {

// It loads centred in the main window's area and keeps no settings.
class formParmsGetCurrent : public ToolWindowBase, public ParmsReader, private ParmsGetCurrentView {
    Q_OBJECT
public:
    explicit formParmsGetCurrent(AppContext& ctx, QWidget* parent = nullptr);
    ~formParmsGetCurrent() override;

    void Form_Activate() override { dialogue_.Activate(); }

    bool RegisterForParms(ParmsClient* frm) override { return dialogue_.RegisterForParms(frm); }
    bool DeRegisterForParms(ParmsClient* frm) override { return dialogue_.DeRegisterForParms(frm); }
    // Closes the window, which ends the read.
    void Unload() override;

    ParmsGetCurrentDialogue& dialogue() { return dialogue_; }

    QLabel* labelGetSettings = nullptr;
    QProgressBar* panelPercent = nullptr;
    QPushButton* buttonCancel = nullptr;

protected:
    void Form_Load() override { dialogue_.Load(); }
    void Form_Unload() override { dialogue_.Unload(); }
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool IsActiveChild() const override { return IsActiveForm(); }
    void CloseWindow() override { CloseForm(); }
    void SetPercent(int percent) override;

    ParmsGetCurrentDialogue dialogue_;
};

}  // namespace k45
