#pragma once
// The version request window (formVerReqst): asks the modem for its firmware version and shows
// the answer. The dialogue itself is VerReqstDialogue.
#include <array>
#include <string>

#include "wiring/main_frame.h"
#include "programming/ver_reqst.h"
#include "ui/dialogue_window.h"

class QLabel;
class QPushButton;

namespace k45 {

class formVerReqst : public DialogueWindow<VerReqstDialogue, VerReqstView>, public AutoStartForm {
    Q_OBJECT
public:
    explicit formVerReqst(AppContext& ctx, QWidget* parent = nullptr);
    ~formVerReqst() override;

    bool autoStart() const override { return dialogue_->settings().autoStart; }
    void setAutoStart(bool on) override { dialogue_->setSettings({.autoStart = on}); }

    std::array<QLabel*, 2> labelRead{};
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;

private:
    void SetLabels(const std::string& upper, const std::string& lower) override;
};

}  // namespace k45
