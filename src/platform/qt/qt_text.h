#pragma once
// Where std::string meets QString. Program text (captions, messages, numbers, file names,
// everything our own code builds) is UTF-8 both ways: QText in, QString::toStdString out.
// Bytes that come from files or the modem keep one character per byte and are decoded by
// name: Windows-1252 for the file bytes and the terminals' data, Latin-1 for the modem's
// version reply.
#include <QString>
#include <string>
#include <string_view>

#include "platform/cp1252.h"

namespace k45 {

inline QString QText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString Cp1252Text(std::string_view bytes) { return QString::fromStdU16String(Cp1252ToUtf16(bytes)); }
inline std::string Cp1252Bytes(const QString& text) { return Utf16ToCp1252(text.toStdU16String()); }

inline QString Latin1Text(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace k45
