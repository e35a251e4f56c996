#pragma once
// The events ostiva-cli writes on standard output, one JSON object per line,
// and the writer that puts each on its own flushed line.
//
//   {"event":"login","ok":true,"expiry":..,"company":..,"name":..,"customer_url":..,
//    "link1":..,"link2":..,"today":N}
//   {"event":"login","ok":false,"reason":"wrong_credentials|expired|force_rejected|
//    declined|error","message":..,"routes":[{"route":"direct","step":"connect",
//    "cause":"refused","host":"127.0.0.1","port":1}, ..]}
//   ("routes" only when no route reached the server; a route's "status" when
//   the proxy gave one, its "detail" when the reason names a protocol word)
//   {"event":"code_created","code":N,"text":"123-45"}
//   {"event":"status","code":N,"state":"Waiting|Ready|Connected|Ended|<number>",
//    "connection":N,"address1":..,"address2":..,"time":..,"os":..,"today":N}
//   {"event":"viewer","code":N,"argv":[..]}
//   {"event":"limit"}
//   {"event":"error","message":..}
//   {"event":"signed_in_elsewhere"}   {"event":"connection_lost"}

#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "session/AccessCode.h"
#include "session/ConsoleAccount.h"
#include "session/LoginFailure.h"

namespace ostiva::cli {

using Event = nlohmann::ordered_json;

Event LoginSucceededEvent(const ConsoleAccount& account);
// The reason's name, and the message the technician would have been shown
// (a short explanation where the window shows none).
Event LoginFailedEvent(const LoginFailure& failure);
// One route's reason as the fields of "routes".
Event RouteFailureFields(const FailureReason& reason);
const char* LoginReasonName(LoginFailureReason reason);

Event CodeCreatedEvent(int32_t code);
// The entry as the console holds it after the status; `timeText` is the
// time the server sent with it, `today` the day's connection count.
Event StatusEvent(const AccessCode& entry, std::u16string_view timeText, int32_t today);
// "Waiting", "Ready", "Connected", "Ended", or the number of another state.
std::string StateName(uint16_t state);
Event ViewerEvent(int32_t code, const std::vector<std::string>& argv);
Event LimitEvent();
Event ErrorEvent(std::string_view message);
Event SignedInElsewhereEvent();
Event ConnectionLostEvent();

// One line of text for the event: compact JSON, UTF-8, no line breaks
// inside (they are escaped), bytes that are not UTF-8 replaced.
std::string EventLine(const Event& event);

// Writes each event as one line, whole, before the next one starts, so lines
// never mix; safe to call from several threads. Nothing is buffered: each
// line is on its way to the reader when Write returns.
class EventWriter {
  public:
    explicit EventWriter(int fd) : fd_(fd) {}

    // False once the output has failed (the reader went away); later events
    // are dropped.
    bool Write(const Event& event);
    bool Failed() const;

  private:
    mutable std::mutex lock_;
    int fd_;
    bool failed_ = false;
};

}  // namespace ostiva::cli
