#pragma once
// What every connection and the control channel share: the database, the
// code timeline, the one active console per helper ID, the records each
// helper's consoles sent, the armed faults and the split mode.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CodeTimeline.h"
#include "Faults.h"
#include "LoginThrottle.h"
#include "ServerDatabase.h"
#include "session/Records.h"

namespace ostiva::server {

class ConsoleConnection;

// The result code the server answers an accepted login with. The console
// takes every code but the four refusals as acceptance.
inline constexpr uint16_t LOGIN_ACCEPTED = 6003;

struct LoginDecision {
    uint16_t result = 0;
    std::u16string dateText;
    // The credentials hold and the account is current: the console may ask
    // for its account (even when a fault changed the answer).
    bool authenticated = false;
    // The connection is now the helper's active console.
    bool claimed = false;
};

class ServerCore {
  public:
    explicit ServerCore(ServerDatabase& db,
                        std::chrono::milliseconds loginPace = LoginThrottle::kDefaultPace);

    ServerDatabase& db() { return db_; }
    CodeTimeline& timeline() { return timeline_; }
    Faults& faults() { return faults_; }
    LoginThrottle& throttle() { return throttle_; }

    // ---- logins and the one active console per helper ID ----

    // Checks the login against the account store and the active consoles:
    // wrong credentials 6000 (6005 for a forced login), expired 6002 with
    // the expiry date, a second login 6001, otherwise accepted (a forced
    // login takes over: the earlier console gets MSG_SIGNED_IN_ELSEWHERE and
    // is closed). An armed login-result fault replaces the code sent.
    LoginDecision DecideLogin(const std::shared_ptr<ConsoleConnection>& connection,
                              const wire::LoginRequest& request);
    // Makes `connection` the helper's active console, ending an earlier one.
    void Claim(const std::string& helperId, const std::shared_ptr<ConsoleConnection>& connection);
    // Forgets the connection when it is still the helper's active console.
    void Release(const std::string& helperId, const ConsoleConnection* connection);
    std::shared_ptr<ConsoleConnection> ActiveConsole(const std::string& helperId);
    std::vector<std::string> ActiveHelpers();
    // Sends MSG_SIGNED_IN_ELSEWHERE to the helper's console and closes it.
    bool Kick(const std::string& helperId);

    wire::AccountInfo AccountInfoFor(const std::string& helperId);

    // ---- codes ----

    // Stores the entry and sends its status to the helper's console; true
    // when a console received it. A code that became Connected is counted.
    // Throws (nothing sent) when the database fails: a console is only told
    // of a state that is stored.
    bool PublishStatus(const CodeEntry& entry);

    // ---- what the consoles sent ----

    // Kept for helpers whose credentials held, login records without their
    // password (see ConsoleConnection).
    void NoteRecord(const std::string& helperId, wire::ByteView record);
    std::vector<wire::Bytes> Records(const std::string& helperId);

    // ---- modes ----

    void SetSplit(bool on);
    bool Split() const;

    // ---- shutdown ----

    void RequestQuit();
    bool QuitRequested() const;
    // Waits for RequestQuit.
    void WaitForQuit();

  private:
    // Tells the earlier console of a helper that it has been replaced, and
    // closes it.
    void Evict(const std::string& helperId, const std::shared_ptr<ConsoleConnection>& earlier,
               const ConsoleConnection& successor);

    // Each helper keeps at most this many records; the oldest go first.
    static constexpr size_t kMaxRecordsPerHelper = 512;
    // Records of more helpers than this are not kept.
    static constexpr size_t kMaxHelpersWithRecords = 1024;

    ServerDatabase& db_;
    CodeTimeline timeline_;
    Faults faults_;
    LoginThrottle throttle_;

    std::mutex lock_;  // consoles_ and records_
    std::map<std::string, std::shared_ptr<ConsoleConnection>> consoles_;
    std::map<std::string, std::vector<wire::Bytes>> records_;

    mutable std::mutex modeLock_;
    bool split_ = false;
    bool quit_ = false;
    std::condition_variable quitSignal_;
};

}  // namespace ostiva::server
