#pragma once
// Recording stand-ins for the console logic's window, session and launcher,
// and a scratch directory.

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/CodeCommands.h"
#include "console/ConsoleView.h"
#include "console/ViewerLauncher.h"
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

class FakeCommands : public CodeCommands {
  public:
    void RequestNewCode() override { ++newCodeRequests; }
    void DeleteCode(int32_t code) override { deleted.push_back(code); }
    void SaveReport(const AccessCode& entry) override { saved.push_back(entry); }

    int newCodeRequests = 0;
    std::vector<int32_t> deleted;
    std::vector<AccessCode> saved;
};

class RecordingLauncher : public ViewerLauncher {
  public:
    bool LaunchViewer(int32_t code, std::u16string* error) override {
        launched.push_back(code);
        if (!failWith.empty()) {
            *error = failWith;
            return false;
        }
        return true;
    }

    std::vector<int32_t> launched;
    std::u16string failWith;  // non-empty: every launch fails with this reason
};

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the test.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string& tag = "console") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("ostiva-" + tag + "-XXXXXX")).string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::u16string wide() const { return FromUtf8(path_.string()); }

  private:
    std::filesystem::path path_;
};

}  // namespace ostiva::testing
