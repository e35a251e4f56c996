#pragma once
// Misbehaviours the control channel arms for the tests. Each armed fault is
// used up by the next connection that reaches its point of the dialogue;
// one that carries values (login results) uses one value per login.

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace ostiva::server {

enum class Fault {
    CloseAfterLogin,  // read the login message, then close without answering
    HelloReply,       // answer the hello with this type instead of 1001
    LoginResult,      // answer the next logins with these result codes
    NoAccount,        // never answer the account request
    ZeroClose,        // close (orderly, no bytes) right after MSG_CONSOLE_READY
};

// "close-after-login", "hello-reply", "login-result", "no-account", "zero-close".
std::optional<Fault> FaultByName(std::string_view name);
const char* FaultName(Fault fault);
// Whether the fault takes values (and at least one).
bool FaultTakesValues(Fault fault);

class Faults {
  public:
    // Arms the fault; for a fault with values, each value is used once, in order.
    void Arm(Fault fault, std::deque<int> values = {0});
    // Uses up the fault: its next value, or none when it is not armed.
    std::optional<int> Take(Fault fault);
    void Clear();
    // "hello-reply=1002 login-result=6001,6000" for the control channel.
    std::string Describe() const;

  private:
    mutable std::mutex lock_;
    std::map<Fault, std::deque<int>> armed_;
};

}  // namespace ostiva::server
