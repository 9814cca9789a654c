#pragma once
// The current-parameter reader window (formParmsGetCurrent): reads the modem's parameters into
// currentParameters for the windows that asked (ParmsReader) and closes itself. The dialogue
// itself is ParmsGetCurrentDialogue.
#include <QWidget>
#include <string>

#include "frame/window_interfaces.h"
#include "programming/parms_get_current.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace k45 {

struct AppContext;

class formParmsGetCurrent : public QWidget, public ToolForm, public ParmsReader, private ParmsGetCurrentView {
    Q_OBJECT
public:
    explicit formParmsGetCurrent(AppContext& ctx, QWidget* parent = nullptr);
    ~formParmsGetCurrent() override;

    // The window keeps no settings.
    bool loaded() const override { return dialogue_.loaded(); }
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
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool IsActiveChild() const override;
    void CloseWindow() override;
    void SetPercent(int percent) override;
    void CenterOverMainWindow();

    AppContext& ctx_;
    ParmsGetCurrentDialogue dialogue_;
};

}  // namespace k45
