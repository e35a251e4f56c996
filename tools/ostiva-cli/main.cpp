// ostiva-cli: the console without windows, for scripts and headless use.
// Signs in as the given helper, then reads JSON commands on standard input
// and writes JSON events on standard output, one object per line (see
// CliCommand.h, CliEvents.h and --help).

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliConsole.h"
#include "CliCredentials.h"
#include "CliEvents.h"
#include "CliLoginPrompt.h"
#include "CliOptions.h"
#include "LineReader.h"
#include "console/ViewerLauncher.h"
#include "session/SessionClient.h"
#include "settings/SettingsKeys.h"
#include "util/Exception.h"
#include "util/ModulePath.h"
#include "util/Utf.h"

namespace {

using namespace ostiva;
using namespace ostiva::cli;

int UsageError(const std::string& message) {
    std::fprintf(stderr, "ostiva-cli: %s\nTry 'ostiva-cli --help'.\n", message.c_str());
    return 2;
}

// A settings file named on the command line must be there: falling back to
// the defaults would sign in somewhere else than the script meant.
bool CheckSettingsFile(const std::string& path, std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = "cannot read the settings file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!regular) *error = "the settings file " + path + " is not a regular file";
    return regular;
}

// Standard input and output are the command and event channels. The
// console reads and writes them through private copies, and the numbers 0
// and 1 become /dev/null and standard error: the viewers inherit the
// standard streams and must neither take commands nor write into the events.
bool SeparateChannels(int* commands, int* events, std::string* error) {
    *commands = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    *events = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (*commands < 0 || *events < 0) {
        *error = std::string("cannot use standard input and output: ") + std::strerror(errno);
        return false;
    }
    int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null < 0 || ::dup2(null, STDIN_FILENO) < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        *error = std::string("cannot redirect standard input and output: ") + std::strerror(errno);
        if (null >= 0) ::close(null);
        return false;
    }
    ::close(null);
    return true;
}

// Overwrites a secret before its memory is given back.
void Wipe(std::u16string& text) {
    volatile char16_t* p = text.data();
    for (size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
}

void Wipe(std::optional<std::string>& text) {
    if (!text) return;
    volatile char* p = text->data();
    for (size_t i = 0; i < text->size(); ++i) p[i] = 0;
    text.reset();
}

}  // namespace

int main(int argc, char** argv) {
    // Writing to a reader that went away fails with EPIPE (and ends the
    // console with status 1) instead of killing the process.
    ::signal(SIGPIPE, SIG_IGN);

    // Out of the environment before any thread exists: the viewers inherit
    // the console's environment and must not see the password.
    std::optional<std::string> environmentPassword;
    if (const char* value = std::getenv(kPasswordVariable)) {
        environmentPassword = value;
        ::unsetenv(kPasswordVariable);
    }

    ParsedCliOptions parsed = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) return UsageError(parsed.error);
    const CliOptions& options = parsed.options;
    if (options.help) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }

    std::string error;
    if (options.settingsGiven && !CheckSettingsFile(options.settingsPath, &error)) {
        return UsageError(error);
    }
    Settings settings{Profile(options.settingsPath)};
    Credentials credentials = FindCredentials(options, environmentPassword, settings);
    Wipe(environmentPassword);
    if (!credentials.error.empty()) return UsageError(credentials.error);

    int commands = -1, events = -1;
    if (!SeparateChannels(&commands, &events, &error)) {
        std::fprintf(stderr, "ostiva-cli: %s\n", error.c_str());
        return 1;
    }
    EventWriter out(events);
    CliLoginPrompt prompt(options.force);
    SessionClient session(settings, &prompt);
    ProcessViewerLauncher viewers;
    CliConsole console(out, session, viewers, ProgramDirectory());
    session.SetEvents(&console);

    const bool loggedIn = session.Login(credentials.id, credentials.password);
    Wipe(credentials.password);
    if (!loggedIn) {
        out.Write(LoginFailedEvent(session.LastLoginFailure()));
        return 1;
    }
    if (!out.Write(LoginSucceededEvent(session.Account()))) {
        session.Stop();
        return 1;
    }
    console.Open(session.Account());

    LineReader input(commands, kMaxCommandLine,
                     {[&console](LineSplitter::Line line) { console.PostLine(std::move(line)); },
                      [&console] { console.PostEndOfInput(); }});
    int status;
    try {
        input.Start();
        status = console.Run();
    } catch (const Exception& e) {
        std::fprintf(stderr, "ostiva-cli: %s\n", ToUtf8(e.GetMessageText()).c_str());
        status = 1;
    }
    input.Stop();
    // The receive loop ends before the console it reports to goes away.
    session.Stop();
    return status;
}
