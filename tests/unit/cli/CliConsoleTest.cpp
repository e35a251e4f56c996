// The command-line console's steps with a recording session and launcher:
// which events each command and each record of the receive loop produce, in
// which order, and what reaches the session.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "CliConsole.h"
#include "session/CodeCommands.h"
#include "support/ConsoleFakes.h"

namespace ostiva::cli {
namespace {

using nlohmann::json;

using RecordingSession = test::RecordingCommands;

// The viewer's command line is fixed, so the events can be compared whole.
class RecordingLauncher : public test::RecordingLauncher {
  public:
    std::vector<std::string> ArgumentsFor(int32_t code) const override {
        return {"/opt/o/ostiviewer", "-code=" + std::to_string(code)};
    }
};

class CliConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(::pipe2(pipe_, O_CLOEXEC), 0);
        ASSERT_EQ(::fcntl(pipe_[0], F_SETFL, O_NONBLOCK), 0);
        dir_ = std::filesystem::temp_directory_path() / ("ostiva-cli-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        writer_ = std::make_unique<EventWriter>(pipe_[1]);
        console_ = std::make_unique<CliConsole>(*writer_, session_, launcher_,
                                                std::u16string(dir_.u16string()));
        console_->Open(ConsoleAccount{});
    }
    void TearDown() override {
        console_.reset();
        for (int fd : pipe_) {
            if (fd >= 0) ::close(fd);
        }
        std::filesystem::remove_all(dir_);
    }

    void Command(const std::string& line) { console_->PostLine({line, false}); }
    void Status(int32_t code, AccessCodeState state, int32_t connection = 0) {
        wire::CodeStatus status;
        status.code = code;
        status.state = static_cast<uint16_t>(state);
        status.connectionNumber = connection;
        status.firstAddress = u"10.0.0.5";
        status.secondAddress = u"192.168.1.20";
        status.timeText = u"2024-05-01 10:00:00";
        status.osCode = 14;
        console_->OnCodeStatus(status);
    }
    // Runs what was posted and returns the events written meanwhile.
    std::vector<json> Run() {
        console_->RunPending();
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipe_[0], buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
        std::vector<json> events;
        size_t start = 0, end;
        while ((end = text.find('\n', start)) != std::string::npos) {
            events.push_back(json::parse(text.substr(start, end - start)));
            start = end + 1;
        }
        EXPECT_EQ(start, text.size()) << "a line without its end";
        return events;
    }
    static std::vector<std::string> Names(const std::vector<json>& events) {
        std::vector<std::string> names;
        for (const auto& e : events) names.push_back(e.at("event"));
        return names;
    }

    int pipe_[2] = {-1, -1};
    std::filesystem::path dir_;
    RecordingSession session_;
    RecordingLauncher launcher_;
    std::unique_ptr<EventWriter> writer_;
    std::unique_ptr<CliConsole> console_;
};

TEST_F(CliConsoleTest, ReportsStatusesOfListedCodesWithTheViewerAfterTheStatus) {
    EXPECT_EQ(session_.newCodeRequests, 0);  // nothing asked for at sign-in
    console_->OnCodeCreated(123045);
    Run();

    Status(999, AccessCodeState::Ready);  // not listed: nothing to report, no viewer
    Status(123045, AccessCodeState::Ready);
    auto events = Run();
    ASSERT_EQ(Names(events), (std::vector<std::string>{"status", "viewer"}));
    EXPECT_EQ(events[0]["state"], "Ready");
    EXPECT_EQ(events[1]["argv"], json({"/opt/o/ostiviewer", "-code=123045"}));
    EXPECT_EQ(launcher_.launched, std::vector<int32_t>{123045});

    Status(123045, static_cast<AccessCodeState>(9));
    events = Run();
    ASSERT_EQ(Names(events), std::vector<std::string>{"status"});
    EXPECT_EQ(events[0]["state"], "9");

    launcher_.EndViewers();
    launcher_.failWith = u"no such file";
    Status(123045, AccessCodeState::Ready);
    events = Run();
    ASSERT_EQ(Names(events), (std::vector<std::string>{"status", "error"}));
    EXPECT_NE(events[1]["message"].get<std::string>().find("no such file"), std::string::npos);
}

TEST_F(CliConsoleTest, CommandsSelectTheirCodeAndRefuseWhatTheButtonsWould) {
    console_->OnCodeCreated(1001);
    console_->OnCodeCreated(1002);
    Run();
    Command(R"({"cmd":"connect","code":1001})");
    Command(R"({"cmd":"report","code":1001,"company":"C"})");
    Command(R"({"cmd":"delete","code":5})");
    Command("nonsense");
    auto events = Run();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0]["message"], "line 1: access code 1001 is Waiting, not Ready or Connected");
    EXPECT_EQ(events[2]["message"], "line 3: no access code 5");
    EXPECT_TRUE(session_.saved.empty());
    EXPECT_TRUE(launcher_.launched.empty());

    // Connected: a report names some fields, a later one others; each save
    // sends what the code holds by then.
    Status(1001, AccessCodeState::Connected, 42);
    Command(R"({"cmd":"report","code":1001,"company":"Acme","name":"Ann"})");
    Command(R"({"cmd":"report","code":1002,"company":"x"})");  // Waiting: refused
    Command(R"({"cmd":"report","code":1001,"memo":"called back"})");
    Command(R"({"cmd":"connect","code":1001})");
    events = Run();
    EXPECT_EQ(Names(events), (std::vector<std::string>{"status", "error", "viewer"}));
    ASSERT_EQ(session_.saved.size(), 2u);
    EXPECT_EQ(session_.saved[1].connectionNumber, 42);
    EXPECT_EQ(session_.saved[1].company, u"Acme");
    EXPECT_EQ(session_.saved[1].customerName, u"Ann");
    EXPECT_EQ(session_.saved[1].memo, u"called back");

    // A connected code is deleted without a question left open.
    Command(R"({"cmd":"delete","code":1001})");
    Run();
    EXPECT_EQ(session_.deleted, std::vector<int32_t>{1001});
    ASSERT_EQ(console_->logic().codes().size(), 1u);
    EXPECT_EQ(console_->logic().codes()[0].code, 1002);
}

TEST_F(CliConsoleTest, AnOutputThatFailsEndsWithStatus1) {
    ::signal(SIGPIPE, SIG_IGN);
    ::close(pipe_[0]);
    pipe_[0] = -1;
    console_->OnCodeCreated(5);
    EXPECT_EQ(console_->Run(), 1);
}

}  // namespace
}  // namespace ostiva::cli
