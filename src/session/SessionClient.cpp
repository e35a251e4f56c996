#include "session/SessionClient.h"

#include "proxy/ProxyHandshakes.h"
#include "session/ConsoleEvents.h"
#include "session/OsCode.h"
#include "session/Prompt.h"
#include "session/ReceiveLoop.h"
#include "session/Route.h"
#include "session/RouteChain.h"
#include "transport/SocketIPv4.h"
#include "util/AnsiStringStorage.h"
#include "util/Exception.h"
#include "util/Utf.h"

namespace ostiva {

namespace {

// What fits the login record's 48-unit slots with their terminator.
constexpr size_t kMaxCredentialUnits = wire::kLoginIdUnits - 1;

// Keep-alive of the session's connection: probes after a minute of silence,
// then every second, so a dead connection ends the receive loop.
constexpr int kKeepAliveIdleMs = 60000;
constexpr int kKeepAliveIntervalMs = 1000;

PromptMessage Message(StringId id, std::u16string_view argument = {}) {
    return PromptMessage{id, std::u16string(argument)};
}

}  // namespace

SessionClient::SessionClient(Settings settings, Prompt* prompt)
    : settings_(std::move(settings)), prompt_(prompt) {
    serverAddress_ = settings_.ServerAddress();
    // Used as an unsigned 16-bit port, as the settings file stores it.
    serverPort_ = static_cast<uint16_t>(settings_.ServerPort());
}

SessionClient::~SessionClient() {
    Stop();
}

void SessionClient::Stop() {
    // The loop is stopped outside the send lock: a callback of the loop may
    // be sending a command right now, and the loop waits for it to return.
    ReceiveLoop* loop;
    SocketIPv4* socket;
    {
        std::lock_guard<std::mutex> guard(sendLock_);
        loop = loop_.get();
        socket = socket_.get();
    }
    if (loop)
        loop->Stop();
    else if (socket)
        socket->Shutdown();
}

bool SessionClient::HasSessionEnded() const {
    std::lock_guard<std::mutex> guard(sendLock_);
    return loop_ && loop_->HasEnded();
}

bool SessionClient::Login(std::u16string_view id, std::u16string_view password) {
    // One session per run, and one attempt at a time.
    if (connected_.load() || loginRunning_.exchange(true)) return false;
    lastFailure_ = LoginFailure{};
    bool ok = false;
    try {
        ok = RunLogin(id, password);
    } catch (const Failed& failed) {
        lastFailure_.reason = failed.reason;
        lastFailure_.message = failed.message;
        lastFailure_.routes = failed.routes;
    } catch (const std::exception& e) {
        // Starting the receive thread, or memory.
        lastFailure_.reason = LoginFailureReason::Error;
        lastFailure_.message = Message(StringId::PlainText, FromUtf8(e.what()));
    }
    {
        // Together, so a late CancelLogin cannot mark the next login.
        std::lock_guard<std::mutex> guard(attemptLock_);
        cancelled_.store(false);
        loginRunning_.store(false);
    }
    if (lastFailure_.message) Show(*lastFailure_.message);
    return ok;
}

void SessionClient::CancelLogin() {
    std::lock_guard<std::mutex> guard(attemptLock_);
    if (!loginRunning_.load()) return;
    cancelled_ = true;
    if (attempt_) attempt_->Shutdown();
}

void SessionClient::ThrowIfCancelled() const {
    if (cancelled_.load()) throw Failed{LoginFailureReason::Cancelled, std::nullopt};
}

void SessionClient::ForgetAttempt() {
    std::lock_guard<std::mutex> guard(attemptLock_);
    attempt_ = nullptr;
}

void SessionClient::Show(const PromptMessage& message) {
    if (prompt_) prompt_->ShowMessage(message);
}

bool SessionClient::RunLogin(std::u16string_view id, std::u16string_view password) {
    // Refused before anything is sent: the record would have to cut them,
    // and a cut password would fail for a reason the technician cannot see.
    if (id.size() > kMaxCredentialUnits) {
        throw Failed{LoginFailureReason::TooLong, Message(StringId::IdTooLong)};
    }
    if (password.size() > kMaxCredentialUnits) {
        throw Failed{LoginFailureReason::TooLong, Message(StringId::PasswordTooLong)};
    }

    std::unique_ptr<SocketIPv4> attempt;
    ConsoleAccount account;
    try {
        attempt = std::make_unique<SocketIPv4>();
        {
            std::lock_guard<std::mutex> guard(attemptLock_);
            attempt_ = attempt.get();
            // A cancel that came before the socket existed.
            if (cancelled_.load()) attempt->Shutdown();
        }
        Attempt(*attempt, id, password, &account);
    } catch (const Failed&) {
        ForgetAttempt();
        ThrowIfCancelled();
        throw;
    } catch (const Exception& e) {
        // Socket creation, TCP_NODELAY and the like: the system's text.
        ForgetAttempt();
        ThrowIfCancelled();
        throw Failed{LoginFailureReason::Error, Message(StringId::PlainText, e.GetMessageText())};
    }

    // The session's own socket takes over the connection. A cancel
    // that came in after the last record still wins.
    ForgetAttempt();
    ThrowIfCancelled();
    std::unique_ptr<SocketIPv4> session;
    try {
        session = std::make_unique<SocketIPv4>();
    } catch (const Exception& e) {
        throw Failed{LoginFailureReason::Error, Message(StringId::PlainText, e.GetMessageText())};
    }
    session->AdoptHandle(attempt->ReleaseHandle());
    attempt.reset();
    // Keep-alive finds a connection that died without a word.
    session->SetKeepAlive(kKeepAliveIdleMs, kKeepAliveIntervalMs);

    account_ = std::move(account);
    account_.helperId = std::u16string(id);
    {
        std::lock_guard<std::mutex> guard(sendLock_);
        socket_ = std::move(session);
        loop_ = std::make_unique<ReceiveLoop>(*socket_, events_);
    }
    loop_->Start();
    connected_.store(true);
    return true;
}

void SessionClient::FillProxySettings(SocketIPv4& attempt) const {
    attempt.proxyMode = settings_.ProxyMode();
    if (attempt.proxyMode == 1) {
        attempt.proxyHost.SetString(settings_.ProxyAddress());
        attempt.proxyPort = settings_.ProxyPort();
        attempt.proxyId.SetString(settings_.ProxyId());
        attempt.proxyIdAnsi.FromWide(attempt.proxyId);
        attempt.proxyPassword.SetString(settings_.ProxyPassword());
        attempt.proxyPasswordAnsi.FromWide(attempt.proxyPassword);
    } else if (attempt.proxyMode == 2) {
        DetectProxy(attempt);
    }
}

void SessionClient::Attempt(SocketIPv4& attempt, std::u16string_view id,
                            std::u16string_view password, ConsoleAccount* account) {
    // The proxy settings as they stand now.
    FillProxySettings(attempt);
    ThrowIfCancelled();

    // The server's address, then a route to it. A name that does not resolve here may still be
    // reached through a proxy, which resolves it itself; without a proxy the resolver's message is
    // the reason.
    RouteTarget target;
    target.host = serverAddress_;
    target.port = serverPort_;
    target.timeoutMs = timeouts_.connectMs;
    try {
        // Within the route's limit, and Cancel does not wait for a slow
        // resolver to give up.
        target.address = AddressIPv4::Resolve(serverAddress_, serverPort_,
                                              LookupLimits{target.timeoutMs, &cancelled_});
    } catch (const LookupTimedOut&) {
        target.lookupFailure = FailureCause::TimedOut;
    } catch (const Exception&) {
        // The direct route reports the name as not resolved.
    }
    ThrowIfCancelled();
    std::vector<FailureReason> failures;
    if (!RouteChain::ForProxyMode(attempt.proxyMode).Connect(attempt, target, &failures)) {
        ThrowIfCancelled();
        PromptMessage message = Message(StringId::ConnectionFailed);
        message.routes = failures;
        throw Failed{LoginFailureReason::Error, std::move(message), std::move(failures)};
    }
    ThrowIfCancelled();

    // The key exchange. A server that takes no part in the key exchange still gets
    // the hello next.
    attempt.StartSecureChannel(timeouts_.keyExchangeMs);
    ThrowIfCancelled();

    // No delay for the small records; throws SocketException.
    attempt.SetNoDelay();

    // The hello; the reply's value is not checked.
    Send(attempt, wire::BuildHello());
    uint8_t helloReply[wire::kHelloSize];
    attempt.ReceiveExact(helloReply, sizeof helloReply, timeouts_.replyMs);
    ThrowIfCancelled();

    // The login with the helper ID and password.
    wire::LoginRequest request;
    request.helperId = std::u16string(id);
    request.password = std::u16string(password);
    request.osCode = LocalOsCode();
    request.localAddress = attempt.GetLocalAddressText();
    request.clientVersion = settings_.ClientVersion();
    wire::Bytes login = wire::BuildLogin(request);
    Send(attempt, login);

    // The login's result.
    wire::LoginReply reply = wire::ReadLoginReply(ReceiveReply(attempt, wire::kLoginReplySize));
    switch (reply.result) {
        case wire::LOGIN_ALREADY_ACTIVE: {
            bool force = prompt_ && prompt_->AskYesNo(Message(StringId::LoginAlreadyActive));
            ThrowIfCancelled();
            if (!force) throw Failed{LoginFailureReason::Declined, std::nullopt};
            request.forced = true;
            Send(attempt, wire::BuildLogin(request));
            reply = wire::ReadLoginReply(ReceiveReply(attempt, wire::kLoginReplySize));
            // The second reply decides alone: only these two refuse.
            if (reply.result == wire::LOGIN_FORCE_REJECTED) {
                throw Failed{LoginFailureReason::ForceRejected, std::nullopt};
            }
            if (reply.result == wire::LOGIN_EXPIRED) {
                throw Failed{LoginFailureReason::Expired,
                             Message(StringId::AccountExpired, reply.dateText)};
            }
            break;
        }
        case wire::LOGIN_WRONG_CREDENTIALS:
            throw Failed{LoginFailureReason::WrongCredentials, Message(StringId::WrongCredentials)};
        case wire::LOGIN_EXPIRED:
            throw Failed{LoginFailureReason::Expired,
                         Message(StringId::AccountExpired, reply.dateText)};
        default:
            // Any other code that arrived whole is acceptance.
            break;
    }

    // The account: the expiry date from the login reply, the rest asked for.
    account->expiryDate = reply.dateText;
    Send(attempt, wire::BuildAccountRequest());
    wire::AccountInfo info = wire::ReadAccountInfo(ReceiveReply(attempt, wire::kAccountInfoSize));
    account->companyName = info.companyName;
    account->helperName = info.helperName;
    account->customerUrl = info.customerUrl;
    account->linkUrl1 = info.linkUrl1;
    account->linkUrl2 = info.linkUrl2;
    account->todayConnections = info.todayConnections;

    // The console is ready for its codes; no answer.
    Send(attempt, wire::BuildConsoleReady());
    ThrowIfCancelled();
}

void SessionClient::Send(SocketIPv4& attempt, const wire::Bytes& record) {
    // A failed send shows in the missing answer that follows.
    attempt.SendBytes(record.data(), record.size());
}

wire::Bytes SessionClient::ReceiveReply(SocketIPv4& attempt, size_t size) {
    wire::Bytes record(size, 0);
    size_t got = attempt.ReceiveExact(record.data(), record.size(), timeouts_.replyMs);
    ThrowIfCancelled();
    // A reply that did not arrive whole is never read: zero-filled, it would
    // read as acceptance.
    if (got != size) throw Failed{LoginFailureReason::Error, Message(StringId::ConnectionLost)};
    return record;
}

void SessionClient::SendCommand(const wire::Bytes& record) {
    std::lock_guard<std::mutex> guard(sendLock_);
    if (socket_) socket_->SendBytes(record.data(), record.size());
}

void SessionClient::RequestNewCode() {
    SendCommand(wire::BuildCreateCode());
}

void SessionClient::DeleteCode(int32_t code) {
    SendCommand(wire::BuildDeleteCode(code));
}

void SessionClient::SaveReport(const AccessCode& entry) {
    wire::ReportCustomer customer;
    customer.connectionNumber = entry.connectionNumber;
    customer.company = entry.company;
    customer.customerName = entry.customerName;
    wire::ReportContact contact;
    contact.email = entry.email;
    contact.phone = entry.phone;
    contact.memo = entry.memo;
    // Both under one lock: nothing else goes between the two halves.
    std::lock_guard<std::mutex> guard(sendLock_);
    if (!socket_) return;
    wire::Bytes first = wire::BuildReportCustomer(customer);
    wire::Bytes second = wire::BuildReportContact(contact);
    socket_->SendBytes(first.data(), first.size());
    socket_->SendBytes(second.data(), second.size());
}

}  // namespace ostiva
