#include "ui/control_kit.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace k45::kit {

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
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setFocusPolicy(Qt::StrongFocus);
    s->setRange(min, max);
    s->setSingleStep(1);
    s->setPageStep(pageStep);
    if (minWidth > 0) s->setMinimumWidth(minWidth);
    return s;
}

}  // namespace k45::kit
