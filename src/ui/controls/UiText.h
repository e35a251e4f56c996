#pragma once
// The console's string-table texts in the user's language. The English text
// of an id (util/StringTable.h) is the key under the translation context
// "StringTable"; the installed translation (Translations::Install) gives the
// Japanese one. A text with "%s" takes the argument in its place.

#include <QList>
#include <QString>

#include "util/StringTable.h"

namespace ostiva {

QString UiText(StringId id, const QString& argument = QString());

// The English source text the translations are keyed by; nullptr for an id
// without one (PlainText, unknown ids).
const char* UiSourceText(StringId id);

// Every id that has a source text, in table order.
QList<StringId> UiTextIds();

}  // namespace ostiva
