#include "frame/ui/form_splash.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "frame/app_context.h"
#include "frame/ui/identity_texts.h"
#include "platform/scheduler.h"

namespace k45 {

FormSplash::FormSplash(AppContext& ctx, QWidget* parent) : QDialog(parent) {
    setObjectName("formSplash");
    setWindowTitle("Splash Screen");
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    frameSplash = new QFrame(this);
    frameSplash->setObjectName("frameSplash");
    frameSplash->setFrameShape(QFrame::Box);
    frameSplash->setFrameShadow(QFrame::Sunken);
    outer->addWidget(frameSplash);

    auto* row = new QHBoxLayout(frameSplash);
    row->setContentsMargins(18, 18, 18, 18);
    row->setSpacing(18);
    imageSplash = new QLabel(frameSplash);
    imageSplash->setObjectName("imageSplash");
    imageSplash->setPixmap(ProgramPicture(96));
    imageSplash->setAlignment(Qt::AlignTop);
    row->addWidget(imageSplash);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    row->addLayout(texts, 1);
    auto makeLabel = [&](const char* name) {
        auto* l = new QLabel(frameSplash);
        l->setObjectName(name);
        texts->addWidget(l);
        return l;
    };
    labelTitle = makeLabel("labelTitle");
    QFont big = labelTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    labelTitle->setFont(big);
    labelRevision = makeLabel("labelRevision");
    labelPartNumber = makeLabel("labelPartNumber");
    texts->addStretch(1);
    labelCopyright = makeLabel("labelCopyright");
    labelCompanyName = makeLabel("labelCompanyName");

    // Load: fill the labels; the timer runs from now.
    const IdentityTexts t = MakeIdentityTexts(ctx.state);
    labelTitle->setText(QString::fromStdString(t.title));
    labelRevision->setText(QString::fromStdString(t.revision));
    labelPartNumber->setText(QString::fromStdString(t.partNumber));
    labelCopyright->setText(QString::fromStdString(t.copyright));
    labelCompanyName->setText(QString::fromStdString(t.companyName));
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
