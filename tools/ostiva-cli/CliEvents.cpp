#include "CliEvents.h"

#include <unistd.h>

#include <cerrno>

#include "console/ConsoleLogic.h"
#include "session/OsCode.h"
#include "util/Utf.h"

namespace ostiva::cli {

namespace {

std::string Text(std::u16string_view text) {
    return ToUtf8(text);
}

}  // namespace

const char* LoginReasonName(LoginFailureReason reason) {
    switch (reason) {
        case LoginFailureReason::WrongCredentials:
            return "wrong_credentials";
        case LoginFailureReason::Expired:
            return "expired";
        case LoginFailureReason::ForceRejected:
            return "force_rejected";
        case LoginFailureReason::Declined:
            return "declined";
        default:
            return "error";  // too long, cancelled, no connection, system errors
    }
}

Event LoginSucceededEvent(const ConsoleAccount& account) {
    return Event{{"event", "login"},
                 {"ok", true},
                 {"expiry", Text(account.expiryDate)},
                 {"company", Text(account.companyName)},
                 {"name", Text(account.helperName)},
                 {"customer_url", Text(account.customerUrl)},
                 {"link1", Text(account.linkUrl1)},
                 {"link2", Text(account.linkUrl2)},
                 {"today", account.todayConnections}};
}

Event LoginFailedEvent(const LoginFailure& failure) {
    std::string message;
    if (failure.message) {
        message = Text(failure.message->EnglishText());
    } else if (failure.reason == LoginFailureReason::Declined) {
        message = "The helper ID is signed in elsewhere; sign in with --force to take over.";
    } else if (failure.reason == LoginFailureReason::ForceRejected) {
        message = "The server refused the forced login.";
    } else {
        message = "The login did not succeed.";
    }
    Event event{{"event", "login"},
                {"ok", false},
                {"reason", LoginReasonName(failure.reason)},
                {"message", message}};
    if (!failure.routes.empty()) {
        Event routes = Event::array();
        for (const FailureReason& route : failure.routes)
            routes.push_back(RouteFailureFields(route));
        event["routes"] = std::move(routes);
    }
    return event;
}

Event RouteFailureFields(const FailureReason& reason) {
    Event fields{{"route", RouteKindId(reason.route)},
                 {"step", FailureStepId(reason.step)},
                 {"cause", FailureCauseId(reason.cause)},
                 {"host", reason.host},
                 {"port", reason.port}};
    if (reason.status != 0) fields["status"] = reason.status;
    if (!reason.detail.empty()) fields["detail"] = reason.detail;
    return fields;
}

Event CodeCreatedEvent(int32_t code) {
    return Event{{"event", "code_created"},
                 {"code", code},
                 {"text", Text(ConsoleLogic::FormatCodeText(code))}};
}

std::string StateName(uint16_t state) {
    switch (static_cast<AccessCodeState>(state)) {
        case AccessCodeState::Waiting:
            return "Waiting";
        case AccessCodeState::Ready:
            return "Ready";
        case AccessCodeState::Connected:
            return "Connected";
        case AccessCodeState::Ended:
            return "Ended";
    }
    return std::to_string(state);
}

Event StatusEvent(const AccessCode& entry, std::u16string_view timeText, int32_t today) {
    return Event{{"event", "status"},
                 {"code", entry.code},
                 {"state", StateName(entry.state)},
                 {"connection", entry.connectionNumber},
                 {"address1", Text(entry.firstAddress)},
                 {"address2", Text(entry.secondAddress)},
                 {"time", Text(timeText)},
                 {"os", Text(OsCodeName(entry.osCode))},
                 {"today", today}};
}

Event ViewerEvent(int32_t code, const std::vector<std::string>& argv) {
    return Event{{"event", "viewer"}, {"code", code}, {"argv", argv}};
}

Event LimitEvent() {
    return Event{{"event", "limit"}};
}

Event ErrorEvent(std::string_view message) {
    return Event{{"event", "error"}, {"message", std::string(message)}};
}

Event SignedInElsewhereEvent() {
    return Event{{"event", "signed_in_elsewhere"}};
}

Event ConnectionLostEvent() {
    return Event{{"event", "connection_lost"}};
}

std::string EventLine(const Event& event) {
    return event.dump(-1, ' ', false, Event::error_handler_t::replace) + "\n";
}

bool EventWriter::Write(const Event& event) {
    const std::string line = EventLine(event);
    std::lock_guard<std::mutex> guard(lock_);
    if (failed_) return false;
    size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed_ = true;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool EventWriter::Failed() const {
    std::lock_guard<std::mutex> guard(lock_);
    return failed_;
}

}  // namespace ostiva::cli
