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

class RecordingLauncher : public ViewerLauncher {
  public:
    bool LaunchViewer(int32_t code, std::u16string* error) override {
        launched.push_back(code);
        if (failWith.empty()) return true;
        if (error) *error = failWith;
        return false;
    }

    std::vector<int32_t> launched;
    std::u16string failWith;  // non-empty: every launch fails with this reason
};

}  // namespace ostiva::test
