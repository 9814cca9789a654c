#pragma once
// Drops a numeric box on a field as the right-button drag gesture would.
#include <QApplication>
#include <QByteArray>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "ui/num_box.h"

namespace k45::test {

// Drops source on target (a numeric box or another field that takes one); true when the target
// took it.
inline bool DropNumBox(NumBox* source, QWidget* target) {
    QMimeData mime;
    mime.setData(NumBox::kMimeType, QByteArray::number(reinterpret_cast<quintptr>(source)));
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace k45::test
