#pragma once
// The console logic's window, for a console without one: the report edits
// are plain texts that the report command fills, the code list and the
// buttons are not drawn (the logic keeps their state itself), and message
// boxes become events. The two confirmations a command can raise
// (ConfirmReconnect, a viewer already connected; ConfirmDeleteConnected,
// deleting a connected code) are answered Yes: the script asked for exactly that.

#include <functional>
#include <map>

#include "CliEvents.h"
#include "console/ConsoleView.h"

namespace ostiva::cli {

class CliView : public ConsoleView {
  public:
    // `emit` receives the events of the messages.
    explicit CliView(std::function<void(Event)> emit) : emit_(std::move(emit)) {}

    void ShowCodeList(const std::vector<CodeListItem>&) override {}
    void SetSelectionMark(int32_t) override {}
    void EnableControl(ConsoleControl, bool) override {}
    void SetControlText(ConsoleControl control, std::u16string_view text) override;
    std::u16string GetControlText(ConsoleControl control) override;
    void Invalidate() override {}

    // Yes to ConfirmReconnect and ConfirmDeleteConnected, No to anything else.
    bool AskYesNo(const PromptMessage& question) override;
    // CodeLimit (the thirteenth code) is the limit event; every other
    // message an error event with its English text.
    void ShowMessage(const PromptMessage& message) override;
    void CopyToClipboard(std::u16string_view) override {}

  private:
    std::function<void(Event)> emit_;
    std::map<ConsoleControl, std::u16string> texts_;
};

}  // namespace ostiva::cli
