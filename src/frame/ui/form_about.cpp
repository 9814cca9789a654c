#include "frame/ui/form_about.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "frame/ui/identity_texts.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"

namespace k45 {

FormAbout::FormAbout(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("formAbout");
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    const IdentityTexts t = MakeIdentityTexts(ctx.state);
    static_cast<IdentityBlock&>(*this) =
        BuildIdentityBlock(this, outer, "frameAbout", "imageAbout", {72, 16, 1.3, 10}, t);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttonOK = kit::Button(this, "buttonOK", "&OK", "Close the About Box");
    buttonOK->setDefault(true);
    buttons->addWidget(buttonOK);
    outer->addLayout(buttons);
    connect(buttonOK, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    // Load.
    setWindowTitle(QText(t.productName));
    loaded_ = true;
    resize(440, 220);
}

void FormAbout::keyPressEvent(QKeyEvent* e) {
    e->accept();
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_Q && mods == (Qt::ControlModifier | Qt::AltModifier)) {
        if (ctx_.showRadSpecs) ctx_.showRadSpecs();
        // The editor had the keyboard; Enter must reach this box's OK again without a click.
        activateWindow();
        buttonOK->setFocus();
        return;
    }
    // Enter presses the default button (OK); no other key, Escape included, closes the box.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && mods == Qt::NoModifier)
        QDialog::keyPressEvent(e);
}

void FormAbout::done(int result) {
    loaded_ = false;
    QDialog::done(result);
}

}  // namespace k45
