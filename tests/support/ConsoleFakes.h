#pragma once
// Recording stand-ins for what the console model drives below it: the
// session's three commands and the viewer launcher. Shared by the console
// model's tests, the command-line console's and the main window's.

#include <cstdint>
#include <string>
#include <vector>

#include "console/ViewerLauncher.h"
#include "session/CodeCommands.h"

namespace ostiva::test {

class RecordingCommands : public CodeCommands {
  public:
    void RequestNewCode() override { ++newCodeRequests; }
    void DeleteCode(int32_t code) override { deleted.push_back(code); }
    void SaveReport(const AccessCode& entry) override { saved.push_back(entry); }

    int newCodeRequests = 0;
    std::vector<int32_t> deleted;
    std::vector<AccessCode> saved;
};

// Every viewer it "starts" counts as running until EndViewers().
class RecordingLauncher : public ViewerLauncher {
  public:
    bool LaunchViewer(int32_t code, std::u16string* error) override {
        launched.push_back(code);
        if (failWith.empty()) {
            last = launched.size();
            return true;
        }
        if (error) *error = failWith;
        return false;
    }
    ViewerHandle LastStarted() const override { return last; }
    bool IsRunning(ViewerHandle viewer) const override {
        return viewer != kNoViewer && viewer > endedUpTo;
    }
    // Every viewer started so far has ended.
    void EndViewers() { endedUpTo = launched.size(); }

    std::vector<int32_t> launched;
    std::u16string failWith;  // non-empty: every launch fails with this reason
    ViewerHandle last = kNoViewer;
    ViewerHandle endedUpTo = kNoViewer;
};

}  // namespace ostiva::test
