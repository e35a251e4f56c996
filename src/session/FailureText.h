#pragma once
// Words for the typed reasons of a failed login (util/FailureReason.h), in
// whatever language the caller's text lookup gives: the windows pass their
// translated string table, the command line and the logs the English one.
// The structure of the text lives here, once: "<route and peer>: <cause>"
// per route, the routes joined by "; ", inside the message's "%s".

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "util/FailureReason.h"
#include "util/StringTable.h"

namespace ostiva {

struct PromptMessage;

// The text of `id` with its "%s" replaced by `argument`.
using TextLookup = std::function<std::u16string(StringId id, std::u16string_view argument)>;

// The string-table ids of a route's name and of a cause.
StringId RouteTextId(RouteKind route);
StringId FailureCauseTextId(FailureCause cause);

// One route's failure: "HTTP proxy 127.0.0.1:3128: the proxy refused the
// tunnel (status 403)". A protocol word the reason carries (the scheme a
// proxy asks for) follows in parentheses.
std::u16string RouteFailureText(const FailureReason& reason, const TextLookup& text);
// Every route's, joined by "; ".
std::u16string RouteFailuresText(const std::vector<FailureReason>& reasons, const TextLookup& text);

// The whole message: the routes' failures, when it carries them, stand in
// for its argument.
std::u16string RenderPromptMessage(const PromptMessage& message, const TextLookup& text);

// The lookup of the English string table.
std::u16string EnglishLookup(StringId id, std::u16string_view argument);

}  // namespace ostiva
