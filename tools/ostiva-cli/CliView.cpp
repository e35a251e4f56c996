#include "CliView.h"

#include "util/Utf.h"

namespace ostiva::cli {

void CliView::SetControlText(ConsoleControl control, std::u16string_view text) {
    texts_[control] = std::u16string(text);
}

std::u16string CliView::GetControlText(ConsoleControl control) {
    auto found = texts_.find(control);
    return found == texts_.end() ? std::u16string() : found->second;
}

bool CliView::AskYesNo(const PromptMessage& question) {
    return question.id == StringId::ConfirmReconnect ||
           question.id == StringId::ConfirmDeleteConnected;
}

void CliView::ShowMessage(const PromptMessage& message) {
    if (message.id == StringId::CodeLimit) {
        emit_(LimitEvent());
    } else {
        emit_(ErrorEvent(ToUtf8(message.EnglishText())));
    }
}

}  // namespace ostiva::cli
