// The console's threads: the input thread and the receive thread post while
// the consumer runs; ending the console releases an input thread that waits
// for room, and the reader stops while it waits for input.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "CliConsole.h"
#include "LineReader.h"
#include "session/CodeCommands.h"

namespace ostiva::cli {
namespace {

class NoSession : public CodeCommands {
  public:
    void RequestNewCode() override {}
    void DeleteCode(int32_t) override {}
    void SaveReport(const AccessCode&) override {}
};

class NoViewer : public ViewerLauncher {
  public:
    bool LaunchViewer(int32_t, std::u16string*) override { return true; }
};

class CliConsoleConcurrency : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("ostiva-cli-threads-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        fd_ = ::open((dir_ / "events").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd_, 0);
        writer_ = std::make_unique<EventWriter>(fd_);
        console_ = std::make_unique<CliConsole>(*writer_, session_, viewer_, dir_.u16string());
        console_->Open(ConsoleAccount{});
    }
    void TearDown() override {
        console_.reset();
        ::close(fd_);
        std::filesystem::remove_all(dir_);
    }
    std::vector<std::string> EventLines() const {
        std::ifstream in(dir_ / "events");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    std::filesystem::path dir_;
    int fd_ = -1;
    NoSession session_;
    NoViewer viewer_;
    std::unique_ptr<EventWriter> writer_;
    std::unique_ptr<CliConsole> console_;
};

TEST_F(CliConsoleConcurrency, BothThreadsFeedOneConsumerInTheirOwnOrder) {
    constexpr int kEach = 2 * CliConsole::kMaxWaitingLines;  // the input waits for room
    std::thread input([this] {
        for (int i = 0; i < kEach; ++i) console_->PostLine({"bad " + std::to_string(i), false});
    });
    std::thread receive([this] {
        for (int i = 0; i < kEach; ++i) console_->OnCodeCreated(100000 + i);
    });
    std::thread closer([&] {
        input.join();
        receive.join();
        console_->PostEndOfInput();
    });
    EXPECT_EQ(console_->Run(), 0);
    closer.join();

    int errors = 0, created = 0;
    for (const std::string& line : EventLines()) {
        if (line.find("\"error\"") != std::string::npos) {
            EXPECT_NE(line.find("line " + std::to_string(++errors) + ":"), std::string::npos)
                << line;
        } else {
            EXPECT_NE(line.find("\"code\":" + std::to_string(100000 + created++)),
                      std::string::npos)
                << line;
        }
    }
    EXPECT_EQ(errors, kEach);
    EXPECT_EQ(created, kEach);
}

TEST_F(CliConsoleConcurrency, QuitReleasesAnInputThreadWaitingForRoom) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    LineReader reader(pipe[0], kMaxCommandLine,
                      {[this](LineSplitter::Line line) { console_->PostLine(std::move(line)); },
                       [this] { console_->PostEndOfInput(); }});
    reader.Start();
    // A quit first, then more lines than may wait: the reader blocks on room
    // until the consumer has run the quit.
    std::string lines = "{\"cmd\":\"quit\"}\n";
    for (size_t i = 0; i < 2 * CliConsole::kMaxWaitingLines; ++i) lines += "{}\n";
    ASSERT_EQ(::write(pipe[1], lines.data(), lines.size()), ssize_t(lines.size()));
    EXPECT_EQ(console_->Run(), 0);
    reader.Stop();  // returns: the reader was released and now waits for input
    ::close(pipe[1]);
    ::close(pipe[0]);
    EXPECT_TRUE(EventLines().empty());
}

TEST(LineReaderThread, DeliversEveryLineThenTheEndOnce) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    std::mutex lock;
    std::vector<std::string> lines;
    int ends = 0;
    LineReader reader(pipe[0], 8,
                      {[&](LineSplitter::Line line) {
                           std::lock_guard<std::mutex> guard(lock);
                           lines.push_back(line.tooLong ? "<long>" : line.text);
                       },
                       [&] {
                           std::lock_guard<std::mutex> guard(lock);
                           ++ends;
                       }});
    reader.Start();
    const std::string text = "one\n123456789\ntwo\nlast";
    ASSERT_EQ(::write(pipe[1], text.data(), text.size()), ssize_t(text.size()));
    ::close(pipe[1]);
    for (int i = 0; i < 500; ++i) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (ends > 0) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    reader.Stop();
    ::close(pipe[0]);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "<long>", "two", "last"}));
    EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace ostiva::cli
