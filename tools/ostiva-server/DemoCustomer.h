#pragma once
// The demo customer of `ostiva-server --demo`: every code issued while the
// server runs goes, without a second person, through a customer's whole
// connection on a timer:
//
//   issued --ready--> Ready --connected--> Connected --ended--> Ended
//
// Connected carries two addresses, the begin time and a Windows version, as
// a real customer's side reports them. A code the console deletes stops
// where it is; a code whose state the control channel changes goes on from
// that state. Codes of earlier runs are left alone.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace ostiva::server {

class ServerCore;

struct DemoTimes {
    std::chrono::milliseconds ready{3000};      // from the code's issue to Ready
    std::chrono::milliseconds connected{4000};  // from Ready to Connected
    std::chrono::milliseconds ended{20000};     // from Connected to Ended
};

// "R,C,E": the three delays in seconds, each 0 to 86400 with up to three
// decimals ("3,4,20", "0.5,1,5"). None for anything else.
std::optional<DemoTimes> ParseDemoTimes(const std::string& text);
// "Ready 3 s after the code is issued, Connected 4 s later, Ended 20 s later".
std::string DescribeDemoTimes(const DemoTimes& times);

class DemoCustomer {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kTick{100};

    // The codes `core` knows now belong to earlier runs.
    DemoCustomer(ServerCore& core, DemoTimes times);
    DemoCustomer(const DemoCustomer&) = delete;
    DemoCustomer& operator=(const DemoCustomer&) = delete;

    // One look at the codes at `now`: new codes start their timeline, codes
    // whose next step is due take it (stored and sent to their console).
    // The number of steps taken.
    int Step(Clock::time_point now);

    // Steps every kTick until Stop.
    void Run();
    void Stop();

  private:
    struct Tracked {
        uint16_t state = 0;       // the state the code had when it was last looked at
        Clock::time_point since;  // when it got that state (or was first seen)
    };

    ServerCore& core_;
    DemoTimes times_;
    std::set<int32_t> earlier_;
    std::map<int32_t, Tracked> tracked_;
    uint32_t customers_ = 0;

    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
};

}  // namespace ostiva::server
