#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/qt_text.h"

namespace k45 {

std::string QtClipboard::text() const { return QGuiApplication::clipboard()->text().toStdString(); }
void QtClipboard::setText(const std::string& text) { QGuiApplication::clipboard()->setText(QText(text)); }
void QtClipboard::clear() { QGuiApplication::clipboard()->clear(); }

}  // namespace k45
