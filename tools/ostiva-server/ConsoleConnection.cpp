#include "ConsoleConnection.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <thread>

#include "Clock.h"
#include "Log.h"
#include "ServerCore.h"
#include "transport/SecureChannel.h"
#include "util/Utf.h"

namespace ostiva::server {

size_t ConsoleRecordSize(uint16_t type) {
    switch (type) {
        case wire::MSG_HELLO:
            return wire::kHelloSize;
        case wire::MSG_LOGIN:
        case wire::MSG_LOGIN_FORCED:
            return wire::kLoginSize;
        case wire::MSG_ACCOUNT_REQUEST:
            return wire::kAccountRequestSize;
        case wire::MSG_CONSOLE_READY:
        case wire::MSG_CREATE_CODE:
        case wire::MSG_DELETE_CODE:
        case wire::MSG_REPORT_CUSTOMER:
            return wire::kCommandSize;
        case wire::MSG_REPORT_CONTACT:
            return wire::kReportContactSize;
        default:
            return 0;
    }
}

ConsoleConnection::ConsoleConnection(ServerCore& core, int fd, std::string peer,
                                     const ConnectionLimits& limits)
    : core_(core), limits_(limits), peer_(std::move(peer)) {
    socket_.AdoptHandle(fd);
    // A console that stops reading must not hold a sender (and with it the
    // control channel) forever.
    timeval limit{limits_.sendMs / 1000, (limits_.sendMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    socket_.SetNoDelay();
    socket_.SetKeepAlive(60000, 1000);
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
    if (!loginId_.empty()) core_.NoteRecord(loginId_, record);
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
    if (!AnswerSecureChannel(socket_, nullptr, nullptr)) {
        if (!closing_.load()) Bad("no usable public key for the key exchange");
    } else {
        wire::Bytes record;
        Read read = ReadRecord(limits_.loginMs, &record);
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
            int wait = phase_ == Phase::LoginAnswered ? limits_.answerMs : limits_.loginMs;
            going = ReadRecord(wait, &record) == Read::Record && HandleLogin(record);
        }
        while (going) {
            // A console may stay silent for hours; keep-alive finds a dead one.
            going = ReadRecord(-1, &record) == Read::Record && HandleCommand(record);
        }
    }
    closing_.store(true);
    std::string helper = helperId();
    if (claimed_) {
        core_.Release(helper, this);
        core_.db().EndSession(sessionId_, NowText());
        Log("console of " + helper + " at " + peer_ + " left");
    }
}

bool ConsoleConnection::HandleLogin(const wire::Bytes& record) {
    uint16_t type = wire::ReadType(record);
    if (type == wire::MSG_LOGIN || type == wire::MSG_LOGIN_FORCED) {
        if (phase_ == Phase::AccountSent) {
            Bad("login after the account was sent");
            return false;
        }
        wire::LoginRequest request = wire::ReadLogin(record);
        std::string id = ToUtf8(request.helperId);
        // A retry (the forced login) names the same helper; a connection
        // that holds one helper's console never speaks for another.
        if (claimed_ && id != loginId_) {
            Bad("second login for another helper ID");
            return false;
        }
        loginId_ = id;
        Note(record);
        if (core_.faults().Take(Fault::CloseAfterLogin)) {
            Log(peer_ + ": closing after the login message (fault)");
            Close();
            return false;
        }
        LoginDecision decision = core_.DecideLogin(shared_from_this(), request);
        authenticated_ = decision.authenticated;
        if (decision.authenticated) {
            std::lock_guard<std::mutex> guard(stateLock_);
            helperId_ = loginId_;
        }
        if (decision.claimed && !claimed_) {
            claimed_ = true;
            sessionId_ = core_.db().BeginSession(loginId_, peer_, NowText());
            Log("console of " + loginId_ + " at " + peer_ + " logged in");
        }
        phase_ = Phase::LoginAnswered;
        wire::LoginReply reply{decision.result, decision.dateText};
        return Send(wire::BuildLoginReply(reply));
    }
    if (type == wire::MSG_ACCOUNT_REQUEST && phase_ == Phase::LoginAnswered) {
        Note(record);
        if (!authenticated_) {
            Bad("account request without a valid login");
            return false;
        }
        if (core_.faults().Take(Fault::NoAccount)) {
            Log(peer_ + ": leaving the account request unanswered (fault)");
            return true;
        }
        if (!claimed_) {
            // A fault made the console take a refusal for acceptance; it is
            // the helper's console now.
            core_.Claim(loginId_, shared_from_this());
            claimed_ = true;
            sessionId_ = core_.db().BeginSession(loginId_, peer_, NowText());
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

bool ConsoleConnection::HandleCommand(const wire::Bytes& record) {
    // Each record is noted once its effect is stored, so what the control
    // channel lists has happened.
    std::string helper = helperId();
    switch (wire::ReadType(record)) {
        case wire::MSG_CREATE_CODE: {
            auto entry = core_.timeline().Issue(helper, NowText());
            if (entry) core_.db().SaveCode(*entry);
            Note(record);
            if (!entry) {
                Log(peer_ + ": every access code is taken; request not answered");
                return true;
            }
            return Send(wire::BuildCodeCreated(entry->code));
        }
        case wire::MSG_DELETE_CODE: {
            int32_t code = wire::ReadDeleteCode(record);
            if (auto entry = core_.timeline().Delete(helper, code)) {
                core_.db().SaveCode(*entry);
            } else {
                Log(peer_ + " (" + helper + "): delete of code " + std::to_string(code) +
                    ", which it does not hold");
            }
            Note(record);
            return true;
        }
        case wire::MSG_REPORT_CUSTOMER: {
            Note(record);
            wire::ReportCustomer customer = wire::ReadReportCustomer(record);
            wire::Bytes second;
            if (ReadRecord(limits_.loginMs, &second) != Read::Record) return false;
            if (wire::ReadType(second) != wire::MSG_REPORT_CONTACT) {
                Note(second);
                Bad("MSG_REPORT_CUSTOMER not followed by MSG_REPORT_CONTACT");
                return false;
            }
            wire::ReportContact contact = wire::ReadReportContact(second);
            StoredReport report;
            report.helperId = helper;
            report.connectionNumber = customer.connectionNumber;
            if (auto entry = core_.timeline().FindByConnection(helper, customer.connectionNumber)) {
                report.code = entry->code;
            }
            report.company = ToUtf8(customer.company);
            report.name = ToUtf8(customer.customerName);
            report.email = ToUtf8(contact.email);
            report.phone = ToUtf8(contact.phone);
            report.memo = ToUtf8(contact.memo);
            report.receivedAt = NowText();
            core_.db().AddReport(report);
            Note(second);
            return true;
        }
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

}  // namespace ostiva::server
