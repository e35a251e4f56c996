#pragma once
// Conversions between the core's UTF-16 strings and Qt's, without a copy
// through another encoding.

#include <QString>
#include <string>
#include <string_view>

namespace ostiva {

inline QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

inline std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

}  // namespace ostiva
