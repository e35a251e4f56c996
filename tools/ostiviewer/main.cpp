// ostiviewer: a stand-in for the viewer that the console starts when a code
// becomes Ready. It accepts the console's command line
//
//   ostiviewer -optionsfile=<dir>/info.dat -code=<n> [--seconds N]
//
// prints what it got on one line, appends the same as a JSON line to
// "<dir>/viewer-log.jsonl", and until it is ended (SIGTERM, SIGINT, SIGHUP)
// or N seconds have passed (default 600) rewrites "<dir>/imgs/<n>.png" once a
// second: the picture the console shows for a connected code.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PngWriter.h"
#include "ScreenPicture.h"
#include "ViewerOptions.h"

namespace {

using namespace ostiva::viewer;

constexpr long kDefaultSeconds = 600;

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

struct CommandLine {
    std::string optionsFile;
    int32_t code = 0;
    long seconds = kDefaultSeconds;
};

std::optional<long> ParseNumber(std::string_view text, long low, long high) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    std::string copy(text);
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(copy.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<CommandLine> Parse(int argc, char** argv) {
    CommandLine line;
    bool haveOptions = false, haveCode = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.rfind("-optionsfile=", 0) == 0 && !haveOptions) {
            line.optionsFile = std::string(arg.substr(13));
            haveOptions = !line.optionsFile.empty();
            if (!haveOptions) return std::nullopt;
        } else if (arg.rfind("-code=", 0) == 0 && !haveCode) {
            auto code = ParseNumber(arg.substr(6), INT32_MIN, INT32_MAX);
            if (!code) return std::nullopt;
            line.code = static_cast<int32_t>(*code);
            haveCode = true;
        } else if (arg == "--seconds" && i + 1 < argc) {
            auto seconds = ParseNumber(argv[++i], 0, 86400);
            if (!seconds) return std::nullopt;
            line.seconds = *seconds;
        } else {
            return std::nullopt;
        }
    }
    if (!haveOptions || !haveCode) return std::nullopt;
    return line;
}

// The directory of the options file: the console's program directory.
std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// One write with O_APPEND, so lines of viewers running at once never mix.
void AppendLine(const std::string& path, const std::string& line) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "ostiviewer: cannot write %s\n", path.c_str());
        return;
    }
    ssize_t n = write(fd, line.data(), line.size());
    if (n != static_cast<ssize_t>(line.size())) {
        std::fprintf(stderr, "ostiviewer: cannot write %s\n", path.c_str());
    }
    close(fd);
}

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<CommandLine> line = Parse(argc, argv);
    if (!line) {
        std::fprintf(stderr,
                     "usage: ostiviewer -optionsfile=<dir>/info.dat -code=<number> "
                     "[--seconds N]\n");
        return 2;
    }
    InstallStopHandlers();
    const std::string dir = DirectoryOf(line->optionsFile);
    const auto options = ReadViewerOptions(line->optionsFile);

    std::string summary =
        "ostiviewer: code=" + std::to_string(line->code) + " optionsfile=" + line->optionsFile;
    nlohmann::json record;
    record["pid"] = getpid();
    record["argv"] = std::vector<std::string>(argv, argv + argc);
    record["code"] = line->code;
    record["optionsfile"] = line->optionsFile;
    for (const auto& [key, value] : options) {
        summary += " " + key + "=" + std::to_string(value);
        record["options"][key] = value;
    }
    std::printf("%s\n", summary.c_str());
    std::fflush(stdout);
    // Replacement instead of an exception for bytes that are not UTF-8.
    AppendLine(dir + "/viewer-log.jsonl",
               record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");

    const std::string imgs = dir + "/imgs";
    mkdir(imgs.c_str(), 0777);  // the console makes it; exists already then
    const std::string picture = imgs + "/" + std::to_string(line->code) + ".png";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(line->seconds);
    // At least one frame, however short the run.
    for (unsigned frame = 0;; ++frame) {
        if (!WriteFileAtomically(picture, EncodePng(DrawRemoteScreen(line->code, frame))) &&
            frame == 0) {
            std::fprintf(stderr, "ostiviewer: cannot write %s\n", picture.c_str());
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (stopRequested || left <= left.zero()) break;
        // A stop signal cuts the wait short.
        const auto wait =
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::seconds(1));
        timespec pause{};
        pause.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
        pause.tv_nsec =
            std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count() % 1000000000;
        nanosleep(&pause, nullptr);
    }
    return 0;
}
