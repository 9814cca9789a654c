#pragma once
// The splash box: the program's identity, shown modally once at start-up. It closes itself
// after 3000 ms, on a click anywhere in it, or on a key pressed without Shift, Ctrl or Alt.
#include <QDialog>
#include <memory>

#include "frame/ui/identity_texts.h"
#include "wiring/window_interfaces.h"

namespace k45 {

struct AppContext;
class Timer;

// The frame, the picture and the labels are the IdentityBlock's.
class FormSplash : public QDialog, public ToolForm, public IdentityBlock {
    Q_OBJECT
public:
    explicit FormSplash(AppContext& ctx, QWidget* parent = nullptr);
    ~FormSplash() override;

    bool loaded() const override { return loaded_; }

    Timer* timerSplash() const { return timerSplash_.get(); }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Unload();
    std::unique_ptr<Timer> timerSplash_;
    bool loaded_ = false;
};

}  // namespace k45
