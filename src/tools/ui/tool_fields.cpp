#include "tools/ui/tool_fields.h"

#include <QLabel>
#include <QSignalBlocker>

#include "ui/control_kit.h"
#include "ui/num_box.h"

namespace k45 {

namespace {

NumBox* Box(const LocaleInfo& locale, QWidget* window, const char* name) {
    auto* box = new NumBox(locale, window);
    box->setObjectName(name);
    box->setDragGroup(window);
    box->setAlignment(Qt::AlignRight);
    return box;
}

}  // namespace

NumBox* PacketCountBox(const LocaleInfo& locale, QWidget* window, const char* name) {
    NumBox* box = Box(locale, window, name);
    box->setNumType(NumBox::numUnsigned);
    box->setNumMin(0);
    box->setNumMax(4294967295.0);
    box->setNumMaxLength(10);
    box->setSteps(1, 10);
    box->setCtrlSteps(100, 1000);
    box->setText("0");
    return box;
}

NumBox* ToggleTimeBox(const LocaleInfo& locale, QWidget* window, const char* name) {
    NumBox* box = Box(locale, window, name);
    box->setNumType(NumBox::numDecimal);
    box->setNumFormat("0.0000");
    box->setNumMin(0.001);
    box->setNumMax(5);
    box->setNumMaxLength(6);
    box->setSteps(0.001, 0.01);
    box->setCtrlSteps(0.1, 1);
    box->setText(box->formatValue(0.25));
    return box;
}

NumBox* DigitBox(const LocaleInfo& locale, QWidget* window, const char* name) {
    NumBox* box = Box(locale, window, name);
    box->setNumType(NumBox::numUnsigned);
    box->setNumMin(0);
    box->setNumMax(9);
    box->setNumMaxLength(1);
    box->setSteps(1, 1);
    box->setText("0");
    return box;
}

double BoxNumber(const NumBox& box) { return box.value().value_or(0.0); }

void ShowBoxNumber(NumBox& box, double value) {
    const QSignalBlocker block(&box);
    box.setText(box.formatValue(value));
}

QLabel* ValueLabel(QWidget* parent, const QString& name, const char* tip) {
    QLabel* l = kit::Value(parent, name, "0", 80, Qt::AlignRight | Qt::AlignVCenter);
    if (tip) l->setToolTip(tip);
    return l;
}

}  // namespace k45
