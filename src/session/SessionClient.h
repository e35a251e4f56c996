#pragma once
// The console's one link to the session server: the login sequence, the
// account the server reports, the receive thread it starts, and the three
// commands the code list sends.
//
// Login runs on the thread that calls it (the Qt login dialog calls it off
// the window thread, so it can offer Cancel); CancelLogin may come from any
// thread. After a successful login the commands may be called from the
// console's thread while the receive loop reads on its own: the sends are
// serialised, so two records never interleave on the wire.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "session/CodeCommands.h"
#include "session/ConsoleAccount.h"
#include "session/LoginFailure.h"
#include "session/Records.h"
#include "settings/SettingsKeys.h"
#include "transport/SecureChannel.h"

namespace ostiva {

class ConsoleEvents;
class Prompt;
class ReceiveLoop;
class SocketIPv4;

class SessionClient : public CodeCommands {
  public:
    // The time limits of one login attempt.
    struct Timeouts {
        int connectMs = 20000;  // each route's connect
        int replyMs = 30000;    // each answer of the server (hello, login, account)
        int keyExchangeMs = kSecureChannelTimeoutMs;  // the key-exchange reply
    };

    // Reads "server"/"svr_addr" and "server"/"svr_port" once; the proxy keys
    // and the client version are read at each login. `prompt` (not owned,
    // may be null) shows the login's messages and asks the Yes/No question
    // of a forced login (No when null).
    SessionClient(Settings settings, Prompt* prompt);
    SessionClient(const SessionClient&) = delete;
    SessionClient& operator=(const SessionClient&) = delete;
    // Stops the receive loop, then closes the connection.
    ~SessionClient() override;

    // Where the receive loop hands the server's records; not owned. Set it
    // before Login: the loop takes it when it starts.
    void SetEvents(ConsoleEvents* events) { events_ = events; }
    void SetTimeouts(const Timeouts& timeouts) { timeouts_ = timeouts; }

    // Connects, runs the key exchange, the hello and the login, reads the
    // account and starts the receive loop. False when the attempt failed;
    // every message the technician must see has been shown through the
    // Prompt, and LastLoginFailure() says why. Never throws. A session logs
    // in once: after a success further calls fail with Error.
    bool Login(std::u16string_view id, std::u16string_view password);
    // Ends a Login running on another thread: it returns false with
    // Cancelled and no message. Does nothing when no login runs.
    void CancelLogin();
    const LoginFailure& LastLoginFailure() const { return lastFailure_; }

    // ---- CodeCommands ----
    // Sent on the session's connection; a command sent without a connection
    // or after it died is silently lost.
    void RequestNewCode() override;
    void DeleteCode(int32_t code) override;
    // The texts are cut at their slots.
    void SaveReport(const AccessCode& entry) override;

    // Ends the receive loop (no further ConsoleEvents calls) and shuts the
    // connection down. Called before the window that receives the events
    // goes away.
    void Stop();

    // ---- the account, from the login reply and AccountInfo ----
    bool IsConnected() const { return connected_.load(); }
    const std::u16string& expiryDate() const { return account_.expiryDate; }
    const std::u16string& companyName() const { return account_.companyName; }
    const std::u16string& helperName() const { return account_.helperName; }
    const std::u16string& helperId() const { return account_.helperId; }
    const std::u16string& customerUrl() const { return account_.customerUrl; }
    const std::u16string& linkUrl1() const { return account_.linkUrl1; }
    const std::u16string& linkUrl2() const { return account_.linkUrl2; }
    int32_t todayConnections() const { return account_.todayConnections; }
    const ConsoleAccount& Account() const { return account_; }

    const std::u16string& serverAddress() const { return serverAddress_; }
    uint16_t serverPort() const { return serverPort_; }

    // True once the receive loop has ended (signed in elsewhere, connection
    // lost or stopped); false before a login.
    bool HasSessionEnded() const;

  private:
    // Thrown inside Login to end the attempt with a reason and a message.
    struct Failed {
        LoginFailureReason reason;
        std::optional<PromptMessage> message;
        std::vector<FailureReason> routes = {};
    };

    bool RunLogin(std::u16string_view id, std::u16string_view password);
    // One attempt on its own socket: steps 2 to 12. Returns the accepted
    // login reply's date text and the account.
    void Attempt(SocketIPv4& attempt, std::u16string_view id, std::u16string_view password,
                 ConsoleAccount* account);
    void FillProxySettings(SocketIPv4& attempt) const;
    // Receives a whole record of `size` bytes within the reply limit, or
    // ends the attempt with ConnectionLost.
    wire::Bytes ReceiveReply(SocketIPv4& attempt, size_t size);
    void Send(SocketIPv4& attempt, const wire::Bytes& record);
    void ThrowIfCancelled() const;
    void ForgetAttempt();
    void Show(const PromptMessage& message);
    // Sends one record on the session's connection, under the send lock.
    void SendCommand(const wire::Bytes& record);

    Settings settings_;
    Prompt* prompt_;
    ConsoleEvents* events_ = nullptr;
    Timeouts timeouts_;
    std::u16string serverAddress_;
    uint16_t serverPort_ = 80;

    ConsoleAccount account_;
    std::atomic<bool> connected_{false};
    LoginFailure lastFailure_;

    // The running attempt, for CancelLogin.
    std::mutex attemptLock_;
    SocketIPv4* attempt_ = nullptr;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> loginRunning_{false};

    // The session's connection (from the first successful login on) and the
    // loop that reads it. sendLock_ serialises the commands' sends.
    mutable std::mutex sendLock_;
    std::unique_ptr<SocketIPv4> socket_;
    std::unique_ptr<ReceiveLoop> loop_;
};

}  // namespace ostiva
