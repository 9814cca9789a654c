#include "programming/ui/editor_window.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace k45 {

QHBoxLayout* OkCancelRow(QPushButton*& ok, QPushButton*& cancel, QWidget* leading) {
    ok = new QPushButton("&OK");
    ok->setObjectName("buttonOK");
    cancel = new QPushButton("&Cancel");
    cancel->setObjectName("buttonCancel");
    auto* row = new QHBoxLayout;
    if (leading) row->addWidget(leading);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace k45
