#include "util/AnsiStringStorage.h"

#include "util/StringStorage.h"
#include "util/Utf.h"

namespace ostiva {

void AnsiStringStorage::FromWide(const StringStorage& text) {
    text_ = ToUtf8(text.view());
}

}  // namespace ostiva
