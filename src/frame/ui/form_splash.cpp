#include "frame/ui/form_splash.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "frame/ui/identity_texts.h"
#include "platform/scheduler.h"

namespace k45 {

FormSplash::FormSplash(AppContext& ctx, QWidget* parent) : QDialog(parent) {
    setObjectName("formSplash");
    setWindowTitle("Splash Screen");
    setModal(true);

    // Load: fill the labels; the timer runs from now.
    auto* outer = new QVBoxLayout(this);
    static_cast<IdentityBlock&>(*this) =
        BuildIdentityBlock(this, outer, "frameSplash", "imageSplash", {96, 18, 1.6, 0}, MakeIdentityTexts(ctx.state));
    loaded_ = true;

    if (ctx.scheduler()) {
        timerSplash_ = ctx.scheduler()->createTimer();
        timerSplash_->setHandler([this] { Unload(); });
        timerSplash_->setInterval(3000);
        timerSplash_->setEnabled(true);
    }
    resize(480, 240);
}

FormSplash::~FormSplash() {
    if (timerSplash_) {
        timerSplash_->setEnabled(false);
        timerSplash_->setHandler({});
    }
}

void FormSplash::Unload() {
    if (timerSplash_) timerSplash_->setEnabled(false);
    if (!loaded_) return;
    loaded_ = false;
    done(QDialog::Accepted);
}

// Clicks on the frame, the picture and the labels reach the window itself.
void FormSplash::mousePressEvent(QMouseEvent* e) {
    e->accept();
    Unload();
}

void FormSplash::keyPressEvent(QKeyEvent* e) {
    e->accept();
    if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return;
    switch (e->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return;
    default:
        Unload();
    }
}

void FormSplash::closeEvent(QCloseEvent* e) {
    if (timerSplash_) timerSplash_->setEnabled(false);
    loaded_ = false;
    QDialog::closeEvent(e);
}

}  // namespace k45
