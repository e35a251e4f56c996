#pragma once
// Text for the web pages. Everything the pages show that came from a console,
// a customer or a request goes through HtmlEscape, so that no stored text can
// add markup or script to a page.

#include <cstdint>
#include <string>
#include <string_view>

namespace ostiva::server {

// '&', '<', '>', '"' and '\'' as character references. Safe inside element
// content and inside quoted attribute values.
std::string HtmlEscape(std::string_view text);

// The text with malformed UTF-8 replaced by U+FFFD and at most `maxBytes`
// bytes long (cut before a whole character). For values taken from a request.
std::string CleanInput(std::string_view text, size_t maxBytes);

// A query value with every byte but A-Z a-z 0-9 - . _ ~ written as %XX.
std::string PercentEncode(std::string_view value);

// A whole page: the escaped `title` as its title and first heading, then
// `body` (markup, already escaped where needed), in one plain style.
std::string HtmlDocument(std::string_view title, std::string_view body);

// "%d-%d" of a code, thousands and remainder, as the console shows it.
std::string CodeText(int32_t code);

}  // namespace ostiva::server
