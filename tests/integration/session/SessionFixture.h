#pragma once
// What the session tests share: a Prompt that answers as scripted and
// records what it was shown, a ConsoleEvents that records what the receive
// loop handed over, and a settings file pointing at the test's server.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "session/ConsoleEvents.h"
#include "session/Prompt.h"
#include "session/SessionClient.h"
#include "settings/SettingsKeys.h"
#include "support/ServerProcess.h"
#include "util/Utf.h"

namespace ostiva::test {

inline constexpr int kEventWaitMs = 5000;

// Answers Yes/No questions from a script (No when it runs out) and keeps
// every message and question it was given.
class ScriptedPrompt : public Prompt {
  public:
    explicit ScriptedPrompt(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}

    void ShowMessage(const PromptMessage& message) override {
        std::lock_guard<std::mutex> guard(lock_);
        messages_.push_back(message);
    }
    bool AskYesNo(const PromptMessage& question) override {
        std::lock_guard<std::mutex> guard(lock_);
        questions_.push_back(question);
        if (answers_.empty()) return false;
        bool answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::vector<PromptMessage> messages() const {
        std::lock_guard<std::mutex> guard(lock_);
        return messages_;
    }
    std::vector<PromptMessage> questions() const {
        std::lock_guard<std::mutex> guard(lock_);
        return questions_;
    }

  private:
    mutable std::mutex lock_;
    std::deque<bool> answers_;
    std::vector<PromptMessage> messages_;
    std::vector<PromptMessage> questions_;
};

// One call of the receive loop, as text: "created 123456", "status 123456 2",
// "elsewhere", "lost".
class RecordingEvents : public ConsoleEvents {
  public:
    void OnCodeCreated(int32_t code) override { Add("created " + std::to_string(code)); }
    void OnCodeStatus(const wire::CodeStatus& status) override {
        std::lock_guard<std::mutex> guard(lock_);
        statuses_.push_back(status);
        events_.push_back("status " + std::to_string(status.code) + " " +
                          std::to_string(status.state));
        changed_.notify_all();
    }
    void OnSignedInElsewhere() override { Add("elsewhere"); }
    void OnConnectionLost() override { Add("lost"); }

    std::vector<std::string> events() const {
        std::lock_guard<std::mutex> guard(lock_);
        return events_;
    }
    std::vector<wire::CodeStatus> statuses() const {
        std::lock_guard<std::mutex> guard(lock_);
        return statuses_;
    }
    // Waits until at least `count` events arrived; false on time-out.
    bool WaitForCount(size_t count, int timeoutMs = kEventWaitMs) const {
        std::unique_lock<std::mutex> guard(lock_);
        return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                 [&] { return events_.size() >= count; });
    }
    // The code of the first "created" event, after waiting for it; 0 when none came.
    int32_t WaitForCreatedCode(size_t index = 0) const {
        if (!WaitForCount(index + 1)) return 0;
        auto all = events();
        const std::string prefix = "created ";
        if (all[index].rfind(prefix, 0) != 0) return 0;
        return std::stoi(all[index].substr(prefix.size()));
    }

  private:
    void Add(std::string event) {
        std::lock_guard<std::mutex> guard(lock_);
        events_.push_back(std::move(event));
        changed_.notify_all();
    }

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<std::string> events_;
    std::vector<wire::CodeStatus> statuses_;
};

// A temporary directory holding the console's info.dat.
class ConsoleDir {
  public:
    ConsoleDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ostiva-console-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~ConsoleDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ConsoleDir(const ConsoleDir&) = delete;
    ConsoleDir& operator=(const ConsoleDir&) = delete;

    // Writes info.dat with the server's host and port and `more` lines.
    Settings WriteSettings(const std::string& host, uint16_t port, const std::string& more = {}) {
        std::string file = (path_ / "info.dat").string();
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[server]\nsvr_addr=" << host << "\nsvr_port=" << port << "\n" << more;
        out.close();
        return Settings(Profile(file));
    }

  private:
    std::filesystem::path path_;
};

// A console: its settings, prompt, events and session client.
struct Console {
    Console(const ServerProcess& server, std::deque<bool> answers = {},
            const std::string& more = {})
        : Console("127.0.0.1", server.Port(), std::move(answers), more) {}
    Console(const std::string& host, uint16_t port, std::deque<bool> answers = {},
            const std::string& more = {})
        : prompt(std::move(answers)),
          client(std::make_unique<SessionClient>(dir.WriteSettings(host, port, more), &prompt)) {
        client->SetEvents(&events);
        SessionClient::Timeouts timeouts;
        timeouts.connectMs = 5000;
        timeouts.replyMs = 5000;
        client->SetTimeouts(timeouts);
    }
    ~Console() { client.reset(); }

    bool Login(const std::u16string& id, const std::u16string& password) {
        return client->Login(id, password);
    }

    ConsoleDir dir;
    ScriptedPrompt prompt;
    RecordingEvents events;
    std::unique_ptr<SessionClient> client;
};

// The JSON list of an "OK [...]" answer; an empty array for any other answer.
inline nlohmann::json ListOf(const std::string& answer) {
    if (answer.rfind("OK ", 0) != 0) return nlohmann::json::array();
    auto parsed = nlohmann::json::parse(answer.substr(3), nullptr, false);
    return parsed.is_array() ? parsed : nlohmann::json::array();
}

inline std::string Hex(const wire::Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// The records the server received from the helper's consoles, as hex.
inline std::vector<std::string> RecordsOf(const ServerProcess& server, const std::string& helper) {
    std::vector<std::string> records;
    for (const auto& item : ListOf(server.Control("records " + helper))) {
        records.push_back(item.get<std::string>());
    }
    return records;
}

// Waits until the server has handled the helper's whole login, the last
// record of which is MSG_CONSOLE_READY.
inline bool WaitForReady(const ServerProcess& server, const std::string& helper) {
    std::string ready = Hex(wire::BuildConsoleReady());
    auto handled = [&](const std::string& answer) {
        auto list = ListOf(answer);
        return std::find(list.begin(), list.end(), ready) != list.end();
    };
    return handled(server.WaitFor("records " + helper, handled));
}

// Waits until the server lists `helper` among the active consoles (or no
// longer does, with `active` false).
inline bool WaitForSession(const ServerProcess& server, const std::string& helper,
                           bool active = true) {
    std::string answer = server.WaitFor("sessions", [&](const std::string& a) {
        auto list = ListOf(a);
        bool found = std::find(list.begin(), list.end(), helper) != list.end();
        return a.rfind("OK ", 0) == 0 && found == active;
    });
    auto list = ListOf(answer);
    return (std::find(list.begin(), list.end(), helper) != list.end()) == active;
}

}  // namespace ostiva::test
