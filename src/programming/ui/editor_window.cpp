#include "programming/ui/editor_window.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "ui/control_kit.h"

namespace k45 {

QHBoxLayout* OkCancelRow(QPushButton*& ok, QPushButton*& cancel, QWidget* leading) {
    ok = kit::Button(nullptr, "buttonOK", "&OK");
    cancel = kit::Button(nullptr, "buttonCancel", "&Cancel");
    auto* row = new QHBoxLayout;
    if (leading) row->addWidget(leading);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace k45
