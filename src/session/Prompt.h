#pragma once
// How the core speaks to the technician: OK messages and Yes/No questions,
// named by string-table id with at most one argument. The windows show
// message boxes, the command-line console prints or answers by its flags,
// and tests script the answers.

#include <string>
#include <vector>

#include "util/FailureReason.h"
#include "util/StringTable.h"

namespace ostiva {

struct PromptMessage {
    StringId id = StringId::PlainText;
    std::u16string argument;  // replaces "%s" in the text; the whole text for PlainText
    // Why each way to the server failed; when there are any, their text
    // (session/FailureText.h) replaces "%s" instead of `argument`.
    std::vector<FailureReason> routes = {};

    // Defined with the failure texts (session/FailureText.cpp).
    std::u16string EnglishText() const;
};

class Prompt {
  public:
    virtual ~Prompt() = default;
    // An OK message box.
    virtual void ShowMessage(const PromptMessage& message) = 0;
    // A Yes/No message box; true for Yes.
    virtual bool AskYesNo(const PromptMessage& question) = 0;
};

}  // namespace ostiva
