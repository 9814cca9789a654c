#include "frame/ui/form_about.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/app_context.h"
#include "frame/ui/identity_texts.h"

namespace k45 {

FormAbout::FormAbout(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("formAbout");
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    auto* frame = new QFrame(this);
    frame->setObjectName("frameAbout");
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    outer->addWidget(frame);

    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(16);
    imageAbout = new QLabel(frame);
    imageAbout->setObjectName("imageAbout");
    imageAbout->setPixmap(ProgramPicture(72));
    imageAbout->setAlignment(Qt::AlignTop);
    row->addWidget(imageAbout);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    row->addLayout(texts, 1);
    auto makeLabel = [&](const char* name) {
        auto* l = new QLabel(frame);
        l->setObjectName(name);
        texts->addWidget(l);
        return l;
    };
    labelTitle = makeLabel("labelTitle");
    QFont big = labelTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    labelTitle->setFont(big);
    labelRevision = makeLabel("labelRevision");
    labelPartNumber = makeLabel("labelPartNumber");
    texts->addSpacing(10);
    labelCopyright = makeLabel("labelCopyright");
    labelCompanyName = makeLabel("labelCompanyName");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttonOK = new QPushButton("&OK", this);
    buttonOK->setObjectName("buttonOK");
    buttonOK->setToolTip("Close the About Box");
    buttonOK->setDefault(true);
    buttons->addWidget(buttonOK);
    outer->addLayout(buttons);
    connect(buttonOK, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    // Load.
    const IdentityTexts t = MakeIdentityTexts(ctx.state);
    setWindowTitle(QString::fromStdString(t.productName));
    labelTitle->setText(QString::fromStdString(t.title));
    labelRevision->setText(QString::fromStdString(t.revision));
    labelPartNumber->setText(QString::fromStdString(t.partNumber));
    labelCopyright->setText(QString::fromStdString(t.copyright));
    labelCompanyName->setText(QString::fromStdString(t.companyName));
    loaded_ = true;
    resize(440, 220);
}

void FormAbout::keyPressEvent(QKeyEvent* e) {
    e->accept();
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (e->key() == Qt::Key_Q && mods == (Qt::ControlModifier | Qt::AltModifier)) {
        if (ctx_.showRadSpecs) ctx_.showRadSpecs();
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
