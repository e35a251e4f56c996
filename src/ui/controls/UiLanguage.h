#pragma once
// The two languages the windows come in. Everything that differs between them
// (texts, dialog fonts, template rectangles) is chosen by this value.

namespace ostiva {

enum class UiLanguage { English, Japanese };

}  // namespace ostiva
