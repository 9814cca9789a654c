#include "programming/ui/mem_read_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

formMemRead::formMemRead(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formMemRead", "Memory Read", Placement::Saved, parent, DialogueLinks::Of(ctx)) {
    frameSelect = new QGroupBox("Eepro&m/Ram:", this);
    frameSelect->setObjectName("frameSelect");
    optionEeprom = new QRadioButton("Eeprom", frameSelect);
    optionEeprom->setObjectName("optionEeprom");
    optionEeprom->setChecked(true);
    optionRam = new QRadioButton("Ram", frameSelect);
    optionRam->setObjectName("optionRam");
    auto* sel = new QVBoxLayout(frameSelect);
    sel->addWidget(optionEeprom);
    sel->addWidget(optionRam);

    textAddress = new NumBox(ctx.state.locale, this);
    textAddress->setObjectName("textAddress");
    textAddress->setNumType(NumBox::numHex);
    textAddress->setNumMax(0xFFFF);
    textAddress->setMaxLength(4);
    textAddress->setSteps(0x1, 0x10);
    textAddress->setCtrlSteps(0x100, 0x1000);
    textAddress->setDragGroup(this);
    textAddress->setText("0000");
    textValue = new NumBox(ctx.state.locale, this);
    textValue->setObjectName("textValue");
    textValue->setNumType(NumBox::numHex);
    textValue->setNumMax(0xFF);
    textValue->setMaxLength(2);
    textValue->setLocked(true);
    textValue->setDragGroup(this);
    textValue->setText("00");

    auto* boxes = new QGridLayout;
    auto caption = [&](const char* text, QWidget* buddy, int row) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        boxes->addWidget(l, row, 0, Qt::AlignRight);
        boxes->addWidget(new QLabel("0x", this), row, 1, Qt::AlignRight);
        boxes->addWidget(buddy, row, 2);
    };
    caption("A&ddress:", textAddress, 0);
    caption("D&ata:", textValue, 1);
    textAddress->setFixedWidth(70);
    textValue->setFixedWidth(70);

    auto* help = new QGridLayout;
    help->addWidget(new QLabel("Inc/Dec Addr by", this), 0, 0, 1, 2, Qt::AlignLeft);
    help->addWidget(new QLabel("Up/Dn:", this), 1, 0, Qt::AlignRight);
    help->addWidget(new QLabel("0x0001", this), 1, 1);
    help->addWidget(new QLabel("Pg Up/Dn:", this), 2, 0, Qt::AlignRight);
    help->addWidget(new QLabel("0x0010", this), 2, 1);

    buttonUpdate = kit::Button(this, "buttonUpdate", "Upda&te");
    buttonUpdate->setDefault(true);
    buttonClose = kit::Button(this, "buttonClose", "&Close");

    auto* top = new QHBoxLayout;
    top->addWidget(frameSelect);
    auto* right = new QVBoxLayout;
    right->addLayout(boxes);
    right->addLayout(help);
    top->addLayout(right);
    auto* buttons = CentredButtons({buttonUpdate, buttonClose});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // Stepping keys reach the window first, also while the address box has the focus, so that
    // the value shown follows the address.
    textAddress->installEventFilter(this);

    connect(buttonUpdate, &QPushButton::clicked, this, [this] { dialogue_->Update(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
    connect(optionEeprom, &QRadioButton::clicked, this, [this] { dialogue_->DisplayMemoryValue(); });
    connect(optionRam, &QRadioButton::clicked, this, [this] { dialogue_->DisplayMemoryValue(); });
}

formMemRead::~formMemRead() = default;

void formMemRead::Form_Load() {
    // Each load starts as designed: the EEPROM chosen, address and value 0.
    optionEeprom->setChecked(true);
    textAddress->setText("0000");
    textValue->setText("00");
    DialogueWindow::Form_Load();
}

bool formMemRead::StepKey(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return false;
    int step = 0;
    switch (e->key()) {
    case Qt::Key_Up: step = 1; break;
    case Qt::Key_Down: step = -1; break;
    case Qt::Key_PageUp: step = 16; break;
    case Qt::Key_PageDown: step = -16; break;
    default: return false;
    }
    dialogue_->StepAddress(step);
    return true;
}

void formMemRead::keyPressEvent(QKeyEvent* e) {
    if (StepKey(e)) return;
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        if (e->key() == Qt::Key_Escape) {
            buttonClose->click();
            return;
        }
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            // A focused button answers Enter itself: Enter on Close closes.
            auto* focused = qobject_cast<QPushButton*>(focusWidget());
            if (focused && focused->isEnabled())
                focused->click();
            else if (buttonUpdate->isEnabled())
                buttonUpdate->click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

bool formMemRead::eventFilter(QObject* watched, QEvent* e) {
    if (watched == textAddress && e->type() == QEvent::KeyPress && StepKey(static_cast<QKeyEvent*>(e))) return true;
    return QWidget::eventFilter(watched, e);
}

std::string formMemRead::AddressText() const { return textAddress->text().toStdString(); }

void formMemRead::SetAddressText(const std::string& text) { textAddress->setText(QText(text)); }

void formMemRead::SetValueText(const std::string& text) { textValue->setText(QText(text)); }

bool formMemRead::EepromSelected() const { return optionEeprom->isChecked(); }

void formMemRead::SetUpdateEnabled(bool on) { buttonUpdate->setEnabled(on); }

}  // namespace k45
