#include "ConsoleConnection.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "ClientRecords.h"
#include "Clock.h"
#include "Log.h"
#include "ServerCore.h"
#include "transport/SecureChannel.h"
#include "util/Utf.h"

namespace ostiva::server {

ConsoleConnection::ConsoleConnection(ServerCore& core, int fd, std::string peer,
                                     const ConnectionLimits& limits,
                                     std::atomic<size_t>* waitingForSignIn)
    : core_(core),
      limits_(limits),
      peer_(std::move(peer)),
      address_(peer_.substr(0, peer_.rfind(':'))),
      waitingForSignIn_(waitingForSignIn) {
    socket_.AdoptHandle(fd);
    // A console that stops reading must not hold a sender (and with it the
    // control channel) forever.
    timeval limit{limits_.sendMs / 1000, (limits_.sendMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    socket_.SetNoDelay();
    socket_.SetKeepAlive(60000, 1000);
}

ConsoleConnection::~ConsoleConnection() {
    // A connection that never ran (turned away) still leaves the count.
    if (waitingForSignIn_) waitingForSignIn_->fetch_sub(1);
}

std::string ConsoleConnection::helperId() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return helperId_;
}

bool ConsoleConnection::Send(wire::ByteView record) {
    std::lock_guard<std::mutex> guard(sendLock_);
    if (closing_.load()) return false;
    if (core_.Split() && record.size() > 1) {
        // Two TCP segments with a pause between them: the console has to
        // put the record back together.
        size_t half = record.size() / 2;
        if (socket_.SendBytes(record.data(), half) != ssize_t(half)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(limits_.splitPauseMs));
        size_t rest = record.size() - half;
        return socket_.SendBytes(record.data() + half, rest) == ssize_t(rest);
    }
    return socket_.SendBytes(record.data(), record.size()) == ssize_t(record.size());
}

bool ConsoleConnection::SendRaw(wire::ByteView bytes) {
    std::lock_guard<std::mutex> guard(sendLock_);
    if (closing_.load()) return false;
    return socket_.SendBytes(bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

void ConsoleConnection::Close() {
    closing_.store(true);
    socket_.Shutdown();
}

void ConsoleConnection::Abort() {
    closing_.store(true);
    // With a zero linger time the close that follows resets the
    // connection instead of ending it in order.
    linger reset{1, 0};
    ::setsockopt(socket_.GetHandle(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    // Wakes the reading thread, which then closes the socket; nothing is
    // sent in order before the reset.
    ::shutdown(socket_.GetHandle(), SHUT_RD);
}

void ConsoleConnection::Bad(const std::string& what) {
    std::string who = helperId();
    Log(peer_ + (who.empty() ? "" : " (" + who + ")") + ": " + what + "; closing the connection");
}

void ConsoleConnection::Note(const wire::Bytes& record) {
    if (authenticated_ && !loginId_.empty()) core_.NoteRecord(loginId_, record);
}

ConsoleConnection::Read ConsoleConnection::ReadRecord(int waitMs, wire::Bytes* record) {
    uint8_t type[2];
    SocketIPv4::ReceiveEnd end;
    size_t got = socket_.ReceiveExact(type, sizeof type, waitMs, &end);
    if (got == 0 && end != SocketIPv4::ReceiveEnd::TimedOut) return Read::Left;
    if (closing_.load()) return Read::Left;
    if (got < sizeof type) {
        Bad(end == SocketIPv4::ReceiveEnd::TimedOut ? "no record in time" : "record cut short");
        return Read::Bad;
    }
    uint16_t code = uint16_t(type[0] | type[1] << 8);
    size_t size = ConsoleRecordSize(code);
    if (size == 0) {
        Bad("unknown record type " + std::to_string(code));
        return Read::Bad;
    }
    record->assign(size, 0);
    (*record)[0] = type[0];
    (*record)[1] = type[1];
    size_t rest = size - sizeof type;
    if (rest > 0 && socket_.ReceiveExact(record->data() + sizeof type, rest, limits_.restOfRecordMs,
                                         &end) != rest) {
        if (closing_.load()) return Read::Left;
        Bad("record of type " + std::to_string(code) + " cut short");
        return Read::Bad;
    }
    return Read::Record;
}

void ConsoleConnection::Serve() {
    // However the dialogue ends (a refusal, a fault, a write that throws),
    // the helper's slot and session are given back.
    struct Cleanup {
        ConsoleConnection& connection;
        ~Cleanup() { connection.Finish(); }
    } cleanup{*this};
    using SteadyClock = std::chrono::steady_clock;
    auto signInEnd = SteadyClock::now() + std::chrono::milliseconds(limits_.signInMs);
    // The wait for the next record of the login: bounded by the sign-in
    // time until the credentials hold.
    auto loginWait = [&](int waitMs) {
        if (authenticated_) return waitMs;
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(signInEnd - SteadyClock::now());
        return int(std::min<int64_t>(waitMs, std::max<int64_t>(left.count(), 0)));
    };
    if (!AnswerSecureChannel(socket_, nullptr, nullptr)) {
        if (!closing_.load()) Bad("no usable public key for the key exchange");
        return;
    }
    wire::Bytes record;
    Read read = ReadRecord(loginWait(limits_.loginMs), &record);
    if (read == Read::Record && wire::ReadType(record) != wire::MSG_HELLO) {
        Bad("expected MSG_HELLO, got type " + std::to_string(wire::ReadType(record)));
        read = Read::Bad;
    }
    bool going = read == Read::Record;
    if (going) {
        wire::Bytes reply = wire::BuildHelloReply();
        if (auto type = core_.faults().Take(Fault::HelloReply)) {
            reply[0] = uint8_t(*type & 0xff);
            reply[1] = uint8_t((*type >> 8) & 0xff);
        }
        going = Send(reply);
    }
    while (going && phase_ != Phase::Commands) {
        int wait = loginWait(phase_ == Phase::LoginAnswered && authenticated_ ? limits_.answerMs
                                                                              : limits_.loginMs);
        if (wait <= 0) {
            Bad("not signed in within " + std::to_string(limits_.signInMs / 1000) + " s");
            return;
        }
        going = ReadRecord(wait, &record) == Read::Record && HandleLogin(record);
    }
    while (going) {
        // A console may stay silent for hours; keep-alive finds a dead one.
        going = ReadRecord(-1, &record) == Read::Record && HandleCommand(record);
    }
}

void ConsoleConnection::Finish() noexcept {
    closing_.store(true);
    try {
        SignedIn();  // leaves the sign-in count
        if (!claimed_) return;
        core_.Release(loginId_, this);
        if (sessionId_ >= 0) core_.db().EndSession(sessionId_, NowText());
        Log("console of " + loginId_ + " at " + peer_ + " left");
    } catch (const std::exception& e) {
        Log(peer_ + " (" + loginId_ + "): the end of its session was not stored: " + e.what());
    }
}

void ConsoleConnection::SignedIn() {
    if (waitingForSignIn_) {
        waitingForSignIn_->fetch_sub(1);
        waitingForSignIn_ = nullptr;
    }
    if (!authenticated_) return;
    for (const auto& kept : pending_) core_.NoteRecord(loginId_, kept);
    pending_.clear();
}

void ConsoleConnection::ClaimSession() {
    claimed_ = true;
    sessionId_ = core_.db().BeginSession(loginId_, peer_, NowText());
}

bool ConsoleConnection::WaitForTurn(const std::string& helperId) {
    using SteadyClock = std::chrono::steady_clock;
    auto delay = core_.throttle().DelayFor(helperId, address_, SteadyClock::now());
    if (delay.count() <= 0) return true;
    Log(peer_ + ": login of " + helperId + " waits " + std::to_string(delay.count()) +
        " ms after failed logins");
    auto end = SteadyClock::now() + delay;
    // In steps, so that a close (the server's stop) is not held up.
    while (!closing_.load() && SteadyClock::now() < end) {
        auto step = std::min<SteadyClock::duration>(end - SteadyClock::now(),
                                                    std::chrono::milliseconds(50));
        std::this_thread::sleep_for(step);
    }
    return !closing_.load();
}

bool ConsoleConnection::HandleLogin(const wire::Bytes& record) {
    uint16_t type = wire::ReadType(record);
    if (type == wire::MSG_LOGIN || type == wire::MSG_LOGIN_FORCED) return HandleLoginRecord(record);
    if (type == wire::MSG_ACCOUNT_REQUEST && phase_ == Phase::LoginAnswered) {
        if (!authenticated_) {
            Bad("account request without a valid login");
            return false;
        }
        Note(record);
        if (core_.faults().Take(Fault::NoAccount)) {
            Log(peer_ + ": leaving the account request unanswered (fault)");
            return true;
        }
        if (!claimed_) {
            // A fault made the console take a refusal for acceptance; it is
            // the helper's console now.
            core_.Claim(loginId_, shared_from_this());
            ClaimSession();
        }
        phase_ = Phase::AccountSent;
        return Send(wire::BuildAccountInfo(core_.AccountInfoFor(loginId_)));
    }
    if (type == wire::MSG_CONSOLE_READY && phase_ == Phase::AccountSent) {
        // Noted after the fault is taken: once the control channel lists
        // this record, a fault armed later is left for the next console.
        bool zeroClose = core_.faults().Take(Fault::ZeroClose).has_value();
        Note(record);
        if (zeroClose) {
            Log(peer_ + ": closing after MSG_CONSOLE_READY (fault)");
            Close();
            return false;
        }
        phase_ = Phase::Commands;
        return true;
    }
    Bad("record of type " + std::to_string(type) + " out of order during the login");
    return false;
}

bool ConsoleConnection::HandleLoginRecord(const wire::Bytes& record) {
    if (phase_ == Phase::AccountSent) {
        Bad("login after the account was sent");
        return false;
    }
    if (++loginAttempts_ > limits_.maxLoginAttempts) {
        Bad("more than " + std::to_string(limits_.maxLoginAttempts) + " logins");
        return false;
    }
    wire::LoginRequest request = wire::ReadLogin(record);
    std::string id = ToUtf8(request.helperId);
    // A retry (the forced login) names the same helper; a connection that
    // holds one helper's console never speaks for another.
    if (claimed_ && id != loginId_) {
        Bad("second login for another helper ID");
        return false;
    }
    if (id != loginId_) pending_.clear();
    loginId_ = id;
    if (authenticated_) {
        Note(WithoutPassword(record));
    } else {
        pending_.push_back(WithoutPassword(record));
    }
    if (core_.faults().Take(Fault::CloseAfterLogin)) {
        Log(peer_ + ": closing after the login message (fault)");
        Close();
        return false;
    }
    if (!WaitForTurn(id)) return false;
    LoginDecision decision = core_.DecideLogin(shared_from_this(), request);
    if (decision.authenticated) {
        core_.throttle().Succeeded(id);
        authenticated_ = true;
        {
            std::lock_guard<std::mutex> guard(stateLock_);
            helperId_ = loginId_;
        }
        SignedIn();
    } else {
        core_.throttle().Failed(id, address_, std::chrono::steady_clock::now());
    }
    if (decision.claimed && !claimed_) {
        ClaimSession();
        Log("console of " + loginId_ + " at " + peer_ + " logged in");
    }
    phase_ = Phase::LoginAnswered;
    wire::LoginReply reply{decision.result, decision.dateText};
    return Send(wire::BuildLoginReply(reply));
}

bool ConsoleConnection::HandleCommand(const wire::Bytes& record) {
    // Each record is noted once its effect is stored, so what the control
    // channel lists has happened.
    std::string helper = helperId();
    switch (wire::ReadType(record)) {
        case wire::MSG_CREATE_CODE:
            return CreateCode(record, helper);
        case wire::MSG_DELETE_CODE: {
            int32_t code = wire::ReadDeleteCode(record);
            if (auto entry = core_.timeline().Delete(helper, code)) {
                try {
                    core_.db().SaveCode(*entry);
                } catch (const std::exception& e) {
                    // The deletion holds in memory; the next save of the
                    // code stores it.
                    Log(peer_ + " (" + helper + "): the deletion of code " + std::to_string(code) +
                        " was not stored: " + e.what());
                }
            } else {
                Log(peer_ + " (" + helper + "): delete of code " + std::to_string(code) +
                    ", which it does not hold");
            }
            Note(record);
            return true;
        }
        case wire::MSG_REPORT_CUSTOMER:
            Note(record);
            return SaveReport(record, helper);
        case wire::MSG_REPORT_CONTACT:
            Note(record);
            Bad("MSG_REPORT_CONTACT without MSG_REPORT_CUSTOMER");
            return false;
        default:
            Note(record);
            Bad("record of type " + std::to_string(wire::ReadType(record)) +
                " out of order after the login");
            return false;
    }
}

bool ConsoleConnection::CreateCode(const wire::Bytes& record, const std::string& helper) {
    auto entry = core_.timeline().Issue(helper, NowText());
    if (!entry) {
        Note(record);
        Log(peer_ + ": every access code is taken; request not answered");
        return true;
    }
    try {
        core_.db().SaveCode(*entry);
    } catch (const std::exception& e) {
        // A code the server would forget at its next start is never handed
        // out; the console may ask again.
        core_.timeline().Withdraw(entry->code);
        Note(record);
        Log(peer_ + " (" + helper + "): the new code could not be stored (" + e.what() +
            "); request not answered");
        return true;
    }
    Note(record);
    return Send(wire::BuildCodeCreated(entry->code));
}

bool ConsoleConnection::SaveReport(const wire::Bytes& customer, const std::string& helper) {
    wire::Bytes contact;
    if (ReadRecord(limits_.loginMs, &contact) != Read::Record) return false;
    if (wire::ReadType(contact) != wire::MSG_REPORT_CONTACT) {
        Note(contact);
        Bad("MSG_REPORT_CUSTOMER not followed by MSG_REPORT_CONTACT");
        return false;
    }
    StoredReport report = ReadReport(helper, customer, contact, NowText());
    if (auto entry = core_.timeline().FindByConnection(helper, report.connectionNumber)) {
        report.code = entry->code;
    }
    try {
        core_.db().AddReport(report);
    } catch (const std::exception& e) {
        // The console does not wait for an answer; the report is lost, the
        // session goes on.
        Log(peer_ + " (" + helper + "): the report on connection " +
            std::to_string(report.connectionNumber) + " could not be stored: " + e.what());
    }
    Note(contact);
    return true;
}

}  // namespace ostiva::server
