#pragma once
// The access codes the server issued and the one place where their states
// change: issuing, deleting, a state set by the control channel, and the
// next step of a customer's connection (Advance), which a timer can drive:
//
//   Waiting (0) -> Ready (1) -> Connected (2) -> Ended (3)
//
// Connected gets a new connection number and the begin time, Ended the end
// time. Every change returns the entry as it now is, for the caller to store
// and to send as MSG_CODE_STATUS. Safe to call from any thread.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "CodeEntry.h"
#include "session/Records.h"

namespace ostiva::server {

// What the customer's side reports when it connects.
struct CustomerSide {
    std::u16string firstAddress;
    std::u16string secondAddress;
    uint16_t osCode = 0;
};

class CodeTimeline {
  public:
    static constexpr int32_t kFirstCode = 100000;
    static constexpr int32_t kLastCode = 999999;

    // `known`: the codes of earlier runs; their numbers stay taken.
    explicit CodeTimeline(const std::vector<CodeEntry>& known = {});

    // A new code, unique among every code ever issued, Waiting. None when
    // every 6-digit number is taken.
    std::optional<CodeEntry> Issue(const std::string& helperId, const std::string& at);
    // Forgets a code just issued that could not be stored, so that it is
    // never sent, stepped on or shown. False for an unknown code.
    bool Withdraw(int32_t code);

    // Marks the helper's code deleted. None when the helper has no such
    // code that is not already deleted.
    std::optional<CodeEntry> Delete(const std::string& helperId, int32_t code);

    // Sets the code's state and the customer's fields from the record
    // exactly as given (any state value; the time goes to the begin time
    // with Connected and to the end time otherwise). None for an unknown code.
    std::optional<CodeEntry> SetStatus(const wire::CodeStatus& status);

    // The next step of the customer's connection, as above. None for an
    // unknown code or one that has already ended.
    std::optional<CodeEntry> Advance(int32_t code, const std::u16string& now,
                                     const CustomerSide& customer = {});

    std::optional<CodeEntry> Find(int32_t code) const;
    // The code of one helper that got this connection number.
    std::optional<CodeEntry> FindByConnection(const std::string& helperId,
                                              int32_t connectionNumber) const;
    // Oldest first.
    std::vector<CodeEntry> Codes() const;

    // The MSG_CODE_STATUS record that reports the entry's state.
    static wire::CodeStatus StatusOf(const CodeEntry& entry);

  private:
    mutable std::mutex lock_;
    std::map<int32_t, CodeEntry> codes_;
    std::vector<int32_t> order_;  // issue order
    int32_t lastConnectionNumber_ = 0;
    std::mt19937 random_;
};

}  // namespace ostiva::server
