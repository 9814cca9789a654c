#pragma once
// The version request window (formVerReqst): asks the modem for its firmware version and shows
// the answer. The dialogue itself is VerReqstDialogue.
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "frame/main_frame.h"
#include "frame/window_interfaces.h"
#include "programming/ver_reqst.h"

class QLabel;
class QPushButton;

namespace k45 {

struct AppContext;

class formVerReqst : public QWidget, public ToolForm, public AutoStartForm, private VerReqstView {
    Q_OBJECT
public:
    explicit formVerReqst(AppContext& ctx, QWidget* parent = nullptr);
    ~formVerReqst() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    bool loaded() const override { return dialogue_.loaded(); }
    void Form_Activate() override { dialogue_.Activate(); }

    bool autoStart() const override { return dialogue_.autoStart; }
    void setAutoStart(bool on) override { dialogue_.autoStart = on; }

    VerReqstDialogue& dialogue() { return dialogue_; }

    std::array<QLabel*, 2> labelRead{};
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonClose = nullptr;

    std::int16_t savedLeft = 0;
    std::int16_t savedTop = 0;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool IsActiveChild() const override;
    void CloseWindow() override;
    void SetLabels(const std::string& upper, const std::string& lower) override;

    AppContext& ctx_;
    VerReqstDialogue dialogue_;
    bool shownThisRun_ = false;
};

}  // namespace k45
