#pragma once
// Drops one numeric box on another as the drag gesture would.
#include <QApplication>
#include <QByteArray>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "ui/num_box.h"

namespace k45::test {

inline void DropNumBox(NumBox* source, NumBox* target) {
    QMimeData mime;
    mime.setData(NumBox::kMimeType, QByteArray::number(reinterpret_cast<quintptr>(source)));
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

}  // namespace k45::test
