#pragma once
// Standard input, line by line, on a thread of its own. Lines are cut at
// "\n"; a line longer than the limit is not kept (its bytes are skipped up
// to the next line end) and is reported once as too long, so a hostile
// input cannot make the reader hold more than the limit.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ostiva::cli {

// Splits a byte stream into lines; no threads, no I/O.
class LineSplitter {
  public:
    struct Line {
        std::string text;      // without its "\n"; empty when too long
        bool tooLong = false;  // longer than the limit: `text` was dropped
    };

    explicit LineSplitter(size_t maxLine) : maxLine_(maxLine) {}

    // The lines that the bytes complete.
    std::vector<Line> Feed(std::string_view bytes);
    // The end of the stream: a last line without "\n", if any.
    std::vector<Line> Finish();

  private:
    size_t maxLine_;
    std::string partial_;
    bool skipping_ = false;  // inside a line already reported too long
};

class LineReader {
  public:
    struct Callbacks {
        std::function<void(LineSplitter::Line)> line;
        std::function<void()> end;  // end of input or a read error
    };

    // `fd` is not owned and stays open.
    LineReader(int fd, size_t maxLine, Callbacks callbacks);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    // Stop().
    ~LineReader();

    // Throws SystemException when the wake-up pipe cannot be made.
    void Start();
    // Ends the thread, even while it waits for input, and joins it. No
    // callback runs once Stop has returned; `end` is not called for a stop.
    void Stop();

  private:
    void Run();
    // False when the reader was stopped meanwhile.
    bool Deliver(std::vector<LineSplitter::Line> lines);

    int fd_;
    LineSplitter splitter_;
    Callbacks callbacks_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace ostiva::cli
