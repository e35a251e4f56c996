#include "LineReader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "util/Exception.h"

namespace ostiva::cli {

std::vector<LineSplitter::Line> LineSplitter::Feed(std::string_view bytes) {
    std::vector<Line> lines;
    while (!bytes.empty()) {
        size_t newline = bytes.find('\n');
        std::string_view piece = bytes.substr(0, newline);
        if (!skipping_) {
            if (partial_.size() + piece.size() > maxLine_) {
                partial_.clear();
                partial_.shrink_to_fit();
                skipping_ = true;
                lines.push_back(Line{{}, true});
            } else {
                partial_.append(piece);
            }
        }
        if (newline == std::string_view::npos) break;
        if (!skipping_) lines.push_back(Line{std::move(partial_), false});
        partial_.clear();
        skipping_ = false;
        bytes.remove_prefix(newline + 1);
    }
    return lines;
}

std::vector<LineSplitter::Line> LineSplitter::Finish() {
    std::vector<Line> lines;
    if (!skipping_ && !partial_.empty()) lines.push_back(Line{std::move(partial_), false});
    partial_.clear();
    skipping_ = false;
    return lines;
}

LineReader::LineReader(int fd, size_t maxLine, Callbacks callbacks)
    : fd_(fd), splitter_(maxLine), callbacks_(std::move(callbacks)) {}

LineReader::~LineReader() {
    Stop();
    for (int fd : wake_) {
        if (fd >= 0) ::close(fd);
    }
}

void LineReader::Start() {
    if (thread_.joinable()) return;
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw SystemException(errno);
    }
    thread_ = std::thread([this] { Run(); });
}

void LineReader::Stop() {
    stop_.store(true);
    if (wake_[1] >= 0) {
        char byte = 1;
        ssize_t ignored = ::write(wake_[1], &byte, 1);  // a full pipe is awake already
        (void)ignored;
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool LineReader::Deliver(std::vector<LineSplitter::Line> lines) {
    for (auto& line : lines) {
        if (stop_.load()) return false;
        callbacks_.line(std::move(line));
    }
    return !stop_.load();
}

void LineReader::Run() {
    char buffer[16384];
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int ready = ::poll(fds, 2, -1);
        if (stop_.load()) return;
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents == 0) continue;
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (n <= 0) break;  // end of input, or input that cannot be read
        if (!Deliver(splitter_.Feed(std::string_view(buffer, static_cast<size_t>(n))))) return;
    }
    if (!Deliver(splitter_.Finish())) return;
    if (callbacks_.end) callbacks_.end();
}

}  // namespace ostiva::cli
