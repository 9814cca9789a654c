#include "ui/control_kit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace k45::kit {

namespace {

// A scroll bar inverts its keys so that Up and Page Up move a vertical bar up; on a horizontal
// bar that turns Left and Right round as well. Right (and Down, Page Down) moves it on, Left
// (and Up, Page Up) back, as on the platform the windows were designed for.
class HorizontalScrollBar final : public QScrollBar {
public:
    explicit HorizontalScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)) {
            triggerAction(e->key() == Qt::Key_Right ? SliderSingleStepAdd : SliderSingleStepSub);
            e->accept();
            return;
        }
        QScrollBar::keyPressEvent(e);
    }
};

}  // namespace

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, const char* tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (tip) b->setToolTip(tip);
    return b;
}

QLabel* Label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLabel* Value(QWidget* parent, const QString& name, const QString& text, int minWidth, Qt::Alignment alignment,
              int frameStyle) {
    QLabel* l = Label(parent, name, text);
    l->setFrameStyle(frameStyle);
    l->setAlignment(alignment);
    if (minWidth > 0) l->setMinimumWidth(minWidth);
    return l;
}

QScrollBar* HScroll(QWidget* parent, const QString& name, int min, int max, int pageStep, int minWidth) {
    auto* s = new HorizontalScrollBar(parent);
    s->setObjectName(name);
    s->setFocusPolicy(Qt::StrongFocus);
    s->setRange(min, max);
    s->setSingleStep(1);
    s->setPageStep(pageStep);
    if (minWidth > 0) s->setMinimumWidth(minWidth);
    return s;
}

}  // namespace k45::kit
