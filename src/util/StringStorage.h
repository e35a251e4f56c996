#pragma once
// A growable, zero-terminated UTF-16 text. Copies are deep; a new one holds
// the empty text.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "util/Format.h"

namespace ostiva {

class StringStorage {
  public:
    StringStorage() = default;
    StringStorage(const char16_t* text) { SetString(text); }
    StringStorage(std::u16string_view text) : text_(text) {}
    StringStorage(const StringStorage&) = default;
    StringStorage(StringStorage&&) noexcept = default;
    StringStorage& operator=(const StringStorage&) = default;
    StringStorage& operator=(StringStorage&&) noexcept = default;
    virtual ~StringStorage() = default;

    // Replaces the text with a copy of a zero-terminated text; null gives the
    // empty text.
    virtual void SetString(const char16_t* text);
    void SetString(std::u16string_view text) { text_.assign(text); }

    // Replaces the text with the formatted result, never cut (see Format.h).
    void Format(std::u16string_view format, std::initializer_list<FormatArg> args = {}) {
        text_ = FormatWide(format, args);
    }

    // Sets `out` to the units from `start` to `end`, both inclusive. Positions
    // past the end are clamped to the last unit; an end before the start gives
    // the empty text.
    void GetSubstring(StringStorage* out, size_t start, size_t end) const;

    // Cuts the text at every unit found in `delimiters`; empty parts are kept.
    // With `parts` null, `*count` receives the number of parts. Otherwise
    // `*count` is the capacity of `parts` on entry and the number stored on
    // success; more parts than the capacity returns false. An empty text has
    // no parts.
    bool Split(const char16_t* delimiters, StringStorage* parts, size_t* count) const;

    const char16_t* GetString() const { return text_.c_str(); }
    size_t GetLength() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    std::u16string_view view() const { return text_; }
    const std::u16string& str() const { return text_; }

    bool operator==(const StringStorage& other) const { return text_ == other.text_; }

  private:
    std::u16string text_;
};

}  // namespace ostiva
