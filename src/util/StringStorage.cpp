#include "util/StringStorage.h"

#include <algorithm>

namespace ostiva {

void StringStorage::SetString(const char16_t* text) {
    if (text == nullptr) {
        text_.clear();
    } else {
        text_.assign(text);
    }
}

void StringStorage::GetSubstring(StringStorage* out, size_t start, size_t end) const {
    if (out == nullptr) return;
    if (text_.empty() || end < start || start >= text_.size()) {
        out->SetString(std::u16string_view());
        return;
    }
    end = std::min(end, text_.size() - 1);
    out->SetString(std::u16string_view(text_).substr(start, end - start + 1));
}

bool StringStorage::Split(const char16_t* delimiters, StringStorage* parts, size_t* count) const {
    if (count == nullptr) return false;
    if (text_.empty()) {
        *count = 0;
        return true;
    }
    std::u16string_view delims =
        delimiters ? std::u16string_view(delimiters) : std::u16string_view();
    size_t capacity = *count;
    size_t found = 0;
    size_t partStart = 0;
    for (size_t i = 0; i <= text_.size(); ++i) {
        bool atEnd = i == text_.size();
        if (!atEnd && delims.find(text_[i]) == std::u16string_view::npos) continue;
        if (parts != nullptr) {
            if (found >= capacity) return false;
            parts[found].SetString(std::u16string_view(text_).substr(partStart, i - partStart));
        }
        ++found;
        partStart = i + 1;
    }
    *count = found;
    return true;
}

}  // namespace ostiva
