#pragma once
// The version request window (formVerReqst): asks the modem for its firmware version and shows
// the answer. The dialogue itself is VerReqstDialogue.
#include <array>
#include <string>

#include "frame/main_frame.h"
#include "programming/ver_reqst.h"
#include "ui/tool_window.h"

class QLabel;
class QPushButton;

namespace k45 {

class formVerReqst : public ToolWindowBase, public AutoStartForm, private VerReqstView {
    Q_OBJECT
public:
    explicit formVerReqst(AppContext& ctx, QWidget* parent = nullptr);
    ~formVerReqst() override;

    void Form_Activate() override { dialogue_.Activate(); }

    bool autoStart() const override { return dialogue_.autoStart; }
    void setAutoStart(bool on) override { dialogue_.autoStart = on; }

    VerReqstDialogue& dialogue() { return dialogue_; }

    std::array<QLabel*, 2> labelRead{};
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override { dialogue_.Unload(); }

private:
    bool IsActiveChild() const override { return IsActiveForm(); }
    void CloseWindow() override { CloseForm(); }
    void SetLabels(const std::string& upper, const std::string& lower) override;

    VerReqstDialogue dialogue_;
};

}  // namespace k45
