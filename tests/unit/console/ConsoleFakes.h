#pragma once
// Recording stand-ins for the console logic's window (the session and the
// launcher come from support/ConsoleFakes.h), and a scratch directory.

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/ConsoleView.h"
#include "console/ViewerLauncher.h"
#include "support/ConsoleFakes.h"
#include "support/TempDir.h"
#include "util/Utf.h"

namespace ostiva::testing {

class FakeView : public ConsoleView {
  public:
    void ShowCodeList(const std::vector<CodeListItem>& items) override {
        list = items;
        ++listShows;
    }
    void SetSelectionMark(int32_t index) override { mark = index; }
    void EnableControl(ConsoleControl control, bool enabled) override {
        enabled_[control] = enabled;
    }
    void SetControlText(ConsoleControl control, std::u16string_view text) override {
        texts[control] = std::u16string(text);
    }
    std::u16string GetControlText(ConsoleControl control) override { return texts[control]; }
    void Invalidate() override { ++invalidations; }
    bool AskYesNo(const PromptMessage& question) override {
        questions.push_back(question);
        if (answers.empty()) return defaultAnswer;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessage(const PromptMessage& message) override { messages.push_back(message); }
    void CopyToClipboard(std::u16string_view text) override { clipboard = std::u16string(text); }

    // Unknown controls read as disabled, as in a window that has just opened.
    bool IsEnabled(ConsoleControl control) const {
        auto it = enabled_.find(control);
        return it != enabled_.end() && it->second;
    }
    // What the technician types into an edit.
    void Type(ConsoleControl control, std::u16string text) { texts[control] = std::move(text); }

    std::vector<CodeListItem> list;
    int listShows = 0;
    int32_t mark = -1;
    std::map<ConsoleControl, std::u16string> texts;
    int invalidations = 0;
    std::vector<PromptMessage> questions;
    std::deque<bool> answers;
    bool defaultAnswer = true;
    std::vector<PromptMessage> messages;
    std::u16string clipboard;

  private:
    std::map<ConsoleControl, bool> enabled_;
};

using FakeCommands = test::RecordingCommands;
using RecordingLauncher = test::RecordingLauncher;

// A fresh directory for one test, removed at its end, with its path also as
// the console's UTF-16 text.
class ScratchDir : public TempDir {
  public:
    std::u16string wide() const { return FromUtf8(path().string()); }
};

}  // namespace ostiva::testing
