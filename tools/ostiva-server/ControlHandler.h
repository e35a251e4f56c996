#pragma once
// The control channel's commands: one line in, one line out. Answers begin
// with "OK" or "ERR"; lists come as one JSON array after "OK ".
//
//   status CODE STATE [CONN ADDR1 ADDR2 TIME OSCODE]
//                         sets the code's state (and the customer's fields;
//                         missing ones are empty or 0) and sends
//                         MSG_CODE_STATUS to the helper's console:
//                         "OK delivered" or "OK stored" (no console)
//   advance CODE          the code's next step: Ready, Connected (new
//                         connection number, begin time), Ended (end time)
//   codes [HELPERID]      OK [{"code":..,"helper":..,"state":..,"connection":..,"deleted":..}]
//   deleted               OK [codes deleted by consoles]
//   reports [HELPERID]    OK [{"helper":..,"connection":..,"code":..,"company":..,"name":..,
//                              "email":..,"phone":..,"memo":..,"received":..}]
//   records HELPERID      OK ["hex of each record the helper's consoles sent", ...]
//   sessions              OK [helper IDs with an active console]
//   kick HELPERID         MSG_SIGNED_IN_ELSEWHERE to the helper's console, then close it
//   drop HELPERID         reset the helper's connection (its receive fails)
//   close HELPERID        close the helper's connection in order (its receive returns 0)
//   raw HELPERID HEX      send bytes as they are
//   split on|off          send every record in two halves with a pause
//   fault NAME [VALUE...] arm a misbehaviour for the next connection that gets
//                         there: close-after-login, hello-reply TYPE,
//                         login-result CODE [CODE...], no-account, zero-close;
//                         "fault none" disarms all, "fault" lists the armed ones
//   ping                  OK
//   quit                  OK, then the server ends

#include <string>
#include <string_view>

namespace ostiva::server {

class ServerCore;

class ControlHandler {
  public:
    explicit ControlHandler(ServerCore& core) : core_(core) {}

    // Runs one line; the answer has no line end. "quit" also asks the
    // server to end.
    std::string Handle(std::string_view line);

  private:
    ServerCore& core_;
};

}  // namespace ostiva::server
