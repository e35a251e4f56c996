// The login against a server whose byte stream breaks at every offset of the
// login sequence (key-exchange reply, hello reply, login reply, account
// record): the relay closes there, stalls there, or turns the rest of the
// sequence into garbage. Whatever happens, Login returns within a bound,
// a failure carries its reason and message, and a login that garbage did not
// stop leaves a session that works or ends cleanly.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FaultRelay.h"
#include "integration/session/SessionFixture.h"

namespace ostiva::test {
namespace {

using Clock = std::chrono::steady_clock;

// Short limits, so that a stall at any offset costs well under a second.
constexpr int kConnectMs = 2000;
constexpr int kReplyMs = 200;
constexpr int kKeyExchangeMs = 200;
// The key-exchange limit of the cases whose fault comes after the whole
// key-exchange reply. A console whose exchange ends before the reply is in
// goes on with the hello and reads the late reply as the answers that
// follow, which may then read as an accepted login; on a busy machine the
// server's reply can take longer than the short limit, so these cases, which
// never wait for the exchange, get time to spare.
constexpr int kWholeKeyExchangeMs = 5000;
// Logins run side by side, each helper on its own connection: most of a
// case is waiting for a limit to pass.
constexpr int kWorkers = 16;
// How long a session that garbage did not stop gets to answer a command.
constexpr int kCommandWaitMs = 200;
// Enough failures to see a pattern without flooding the output.
constexpr size_t kReportedFailures = 20;

// The server's part of one login: key-exchange reply, hello reply, login
// reply and account record.
constexpr size_t kLoginStreamSize =
    kCipherBlobSize + wire::kHelloSize + wire::kLoginReplySize + wire::kAccountInfoSize;

std::string Helper(int worker) {
    return "fault" + std::to_string(worker);
}

std::string Accounts() {
    std::string text;
    for (int worker = 0; worker < kWorkers; ++worker) {
        text += Helper(worker) +
                "\tpw\tFault Co\tFault Helper\t2099-12-31\thttps://c.example/\t"
                "https://l1.example/\thttps://l2.example/\n";
    }
    return text;
}

// The limits of the case, and the bound (ten times their sum) within which
// its login must return.
int ShortLimits(Console& console, const RelayPlan& plan) {
    SessionClient::Timeouts timeouts;
    timeouts.connectMs = kConnectMs;
    timeouts.replyMs = kReplyMs;
    timeouts.keyExchangeMs = plan.offset < kCipherBlobSize ? kKeyExchangeMs : kWholeKeyExchangeMs;
    console.client->SetTimeouts(timeouts);
    return 10 * (timeouts.connectMs + timeouts.keyExchangeMs + 3 * timeouts.replyMs);
}

struct CaseResult {
    bool ok = false;
    bool hung = false;
};

// Logs in on another thread so that a login that never returns is seen (and
// cancelled) instead of holding the whole program.
CaseResult LoginWithin(Console& console, const std::string& helper, int boundMs) {
    std::u16string id = FromUtf8(helper);
    auto login = std::async(std::launch::async, [&] { return console.Login(id, u"pw"); });
    CaseResult result;
    if (login.wait_for(std::chrono::milliseconds(boundMs)) != std::future_status::ready) {
        result.hung = true;
        console.client->CancelLogin();
    }
    result.ok = login.get();
    return result;
}

class LoginFaults : public ::testing::Test {
  protected:
    static ServerProcess::Options ServerOptions() {
        ServerProcess::Options options;
        options.accounts = Accounts();
        return options;
    }

    // Adds a failure line for the case; thread-safe.
    void Fail(const RelayPlan& plan, const std::string& what) {
        std::lock_guard<std::mutex> guard(lock_);
        ++failureCount_;
        if (failures_.size() < kReportedFailures) {
            failures_.push_back(std::string(RelayFaultName(plan.fault)) + " at " +
                                std::to_string(plan.offset) + ": " + what);
        }
    }

    void RunCase(const RelayPlan& plan, const std::string& helper) {
        // The previous case's connection must be gone, or the server would
        // take this login for a second console of the same helper.
        if (!WaitForSession(server_, helper, false)) {
            Fail(plan, "the server still lists the previous session");
            return;
        }
        FaultRelay relay(server_.Port(), plan);
        Console console("127.0.0.1", relay.Port());
        int bound = ShortLimits(console, plan);
        CaseResult result = LoginWithin(console, helper, bound);
        if (result.hung) Fail(plan, "Login did not return within the bound");

        const LoginFailure& failure = console.client->LastLoginFailure();
        if (!result.ok) {
            ++failedLogins_;
            if (failure.reason == LoginFailureReason::None) Fail(plan, "failure without a reason");
            // Only garbage can read as the server's questions or refusals,
            // which carry no message of their own.
            bool silent = failure.reason == LoginFailureReason::Declined ||
                          failure.reason == LoginFailureReason::ForceRejected;
            if (silent && plan.fault != RelayFault::Garbage) {
                Fail(plan, std::string("unexpected ") + LoginFailureReasonName(failure.reason));
            }
            if (!silent && (!failure.message || failure.message->EnglishText().empty())) {
                Fail(plan, std::string("no message for ") + LoginFailureReasonName(failure.reason));
            }
            if (console.client->IsConnected()) Fail(plan, "failed but connected");
            return;
        }

        ++acceptedLogins_;
        // A close or a stall always loses part of a reply the login needs.
        if (plan.fault != RelayFault::Garbage) Fail(plan, "login succeeded");
        // Garbage in the account record is cut at its slots.
        for (const std::u16string* text :
             {&console.client->companyName(), &console.client->helperName(),
              &console.client->customerUrl(), &console.client->linkUrl1(),
              &console.client->linkUrl2()}) {
            if (text->size() > wire::kAccountTextUnits) Fail(plan, "account text overruns");
        }
        if (console.client->expiryDate().size() > wire::kLoginReplyDateUnits) {
            Fail(plan, "date text overruns");
        }
        // The session goes on past the garbage: the loop reads what is left
        // of it, a command may be answered (or read out of step), and Stop
        // ends the loop whatever it read.
        console.client->RequestNewCode();
        console.events.WaitForCount(1, kCommandWaitMs);
        console.client->Stop();
        if (!console.client->HasSessionEnded()) Fail(plan, "the receive loop did not end");
    }

    ServerProcess server_{ServerOptions()};
    std::mutex lock_;
    std::vector<std::string> failures_;
    size_t failureCount_ = 0;
    std::atomic<size_t> failedLogins_{0};
    std::atomic<size_t> acceptedLogins_{0};
};

TEST_F(LoginFaults, EveryOffsetOfTheLoginSequenceClosedStalledOrGarbled) {
    ASSERT_TRUE(server_.IsRunning()) << server_.Log();

    // One good login through the relay measures the server's login stream.
    size_t streamSize = 0;
    {
        FaultRelay relay(server_.Port(), RelayPlan{});
        Console console("127.0.0.1", relay.Port());
        // A loaded machine may need longer than the fault cases' limits.
        SessionClient::Timeouts relaxed;
        relaxed.connectMs = 5000;
        relaxed.replyMs = 5000;
        relaxed.keyExchangeMs = 5000;
        console.client->SetTimeouts(relaxed);
        ASSERT_TRUE(console.Login(FromUtf8(Helper(0)), u"pw"));
        streamSize = relay.ServerBytes();
        console.client->Stop();
    }
    ASSERT_EQ(streamSize, kLoginStreamSize);

    std::vector<RelayPlan> plans;
    for (size_t offset = 0; offset < streamSize; ++offset) {
        for (RelayFault fault : {RelayFault::Close, RelayFault::Stall, RelayFault::Garbage}) {
            RelayPlan plan;
            plan.fault = fault;
            plan.offset = offset;
            plan.garbageEnd = streamSize;
            plan.seed = uint32_t(offset * 2654435761u + 7);
            plans.push_back(plan);
        }
    }

    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        workers.emplace_back([&, worker] {
            for (size_t index = next++; index < plans.size(); index = next++) {
                RunCase(plans[index], Helper(worker));
            }
        });
    }
    for (auto& worker : workers) worker.join();

    std::string report;
    for (const auto& line : failures_) report += line + "\n";
    EXPECT_EQ(failureCount_, 0u) << report;
    EXPECT_EQ(failedLogins_ + acceptedLogins_, plans.size());
    // Garbage after the hello reply is mostly read as an accepting login:
    // the loop after such a login was run, not only failures.
    EXPECT_GT(acceptedLogins_.load(), 0u);
    std::cout << "[ info ] " << plans.size() << " faulty logins: " << failedLogins_ << " failed, "
              << acceptedLogins_ << " accepted garbage\n";
}

}  // namespace
}  // namespace ostiva::test
