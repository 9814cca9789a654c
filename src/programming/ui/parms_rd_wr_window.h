#pragma once
// The read/write window (formParmsRdWr): reads the modem's parameters, writes them back,
// clones them. The dialogue itself is ParmsRdWrDialogue; the window shows its labels and
// progress and hands it the buttons.
//
// Also here: the helpers the programming dialogue windows share, and the function that makes
// those windows and enters them in the context's registry.
#include <QWidget>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "frame/main_frame.h"
#include "frame/widgets/window_utils.h"
#include "frame/window_interfaces.h"
#include "programming/parms_rd_wr.h"

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace k45 {

struct AppContext;

// Creates the read/write, version request, memory read and current-parameter windows, enters
// them in ctx (toolForms and formParmsGetCurrent) and hands their ownership to `windows`.
void AddProgrammingDialogueWindows(AppContext& ctx, std::vector<std::unique_ptr<ToolForm>>& windows);

namespace dialogue_window {
// The window is the main window's active child (always, without a main window).
bool IsActiveChild(const AppContext& ctx, const ToolForm* form);
// The progress panel (panelPercent): 0..100 %, the figure centred, starting at 0.
QProgressBar* PercentPanel(QWidget* parent);
// The buttons in a row centred under the window's texts.
QHBoxLayout* CentredButtons(std::initializer_list<QPushButton*> buttons);
}  // namespace dialogue_window

class formParmsRdWr : public QWidget, public ToolForm, public ParmsRdWrForm, private ParmsRdWrView {
    Q_OBJECT
public:
    explicit formParmsRdWr(AppContext& ctx, QWidget* parent = nullptr);
    ~formParmsRdWr() override;

    // ToolForm
    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    bool loaded() const override { return dialogue_.loaded(); }
    void Form_Activate() override { dialogue_.Activate(); }

    // ParmsRdWrForm (the openers)
    bool autoStart() const override { return dialogue_.autoStart; }
    void setAutoStart(bool on) override { dialogue_.autoStart = on; }
    std::int16_t parmsMode() const override { return static_cast<std::int16_t>(dialogue_.parmsMode); }
    void setParmsMode(std::int16_t mode) override { dialogue_.parmsMode = mode; }
    std::string Caption() const override;

    // Windows waiting for the result.
    bool RegisterForParms(ParmsClient* frm) { return dialogue_.RegisterForParms(frm); }
    bool DeRegisterForParms(ParmsClient* frm) { return dialogue_.DeRegisterForParms(frm); }
    bool RegisterForProgComplete(ProgCompleteClient* frm) { return dialogue_.RegisterForProgComplete(frm); }
    bool DeRegisterForProgComplete(ProgCompleteClient* frm) { return dialogue_.DeRegisterForProgComplete(frm); }

    ParmsRdWrDialogue& dialogue() { return dialogue_; }

    std::array<QLabel*, 2> labelRdWr{};
    QProgressBar* panelPercent = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;

    std::int16_t savedLeft = 0;
    std::int16_t savedTop = 0;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // ParmsRdWrView
    bool IsActiveChild() const override;
    void CloseWindow() override;
    void SetCaption(const std::string& text) override;
    void SetLabels(const std::string& upper, const std::string& lower) override;
    void SetPercent(int percent) override;
    void SetOkEnabled(bool on) override;

    AppContext& ctx_;
    ParmsRdWrDialogue dialogue_;
    bool shownThisRun_ = false;
    bool inShowEvent_ = false;
};

}  // namespace k45
