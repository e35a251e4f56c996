#pragma once
// A growable, zero-terminated narrow text. Narrow text is UTF-8 on this
// platform; it is made only where an interface needs bytes (host names,
// proxy authentication).

#include <string>
#include <string_view>

namespace ostiva {

class StringStorage;

class AnsiStringStorage {
  public:
    AnsiStringStorage() = default;
    AnsiStringStorage(const char* text) { SetString(text); }
    AnsiStringStorage(std::string_view text) : text_(text) {}
    AnsiStringStorage(const AnsiStringStorage&) = default;
    AnsiStringStorage(AnsiStringStorage&&) noexcept = default;
    AnsiStringStorage& operator=(const AnsiStringStorage&) = default;
    AnsiStringStorage& operator=(AnsiStringStorage&&) noexcept = default;
    virtual ~AnsiStringStorage() = default;

    virtual void SetString(const char* text) { text_ = text ? text : ""; }
    void SetString(std::string_view text) { text_.assign(text); }

    // Replaces the text with the UTF-8 form of a wide text; unpaired
    // surrogates become U+FFFD.
    void FromWide(const StringStorage& text);

    const char* GetString() const { return text_.c_str(); }
    size_t GetLength() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    std::string_view view() const { return text_; }
    const std::string& str() const { return text_; }

  private:
    std::string text_;
};

}  // namespace ostiva
