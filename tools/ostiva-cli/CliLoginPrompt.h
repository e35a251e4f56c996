#pragma once
// The login's questions and messages without a window: LoginAlreadyActive
// ("Login already. Do you login forcely?") is answered by --force, and the messages
// are left to the login event, which takes them from the session's
// LastLoginFailure().

#include "session/Prompt.h"

namespace ostiva::cli {

class CliLoginPrompt : public Prompt {
  public:
    explicit CliLoginPrompt(bool force) : force_(force) {}

    void ShowMessage(const PromptMessage&) override {}
    bool AskYesNo(const PromptMessage& question) override {
        return question.id == StringId::LoginAlreadyActive && force_;
    }

  private:
    bool force_;
};

}  // namespace ostiva::cli
