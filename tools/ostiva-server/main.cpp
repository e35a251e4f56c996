// ostiva-server: the bundled session server. It plays the server's side of
// the console's dialogue over loopback for the tests, the demo and a
// technician trying the console, with (on request) a control channel that
// drives the access codes' states. See ServerOptions.h for the command line,
// AccountsFile.h for the accounts file and ControlHandler.h for the control
// commands.

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AccountsFile.h"
#include "Clock.h"
#include "ControlServer.h"
#include "DemoCustomer.h"
#include "Log.h"
#include "PasswordHash.h"
#include "SecretFiles.h"
#include "ServerCore.h"
#include "ServerDatabase.h"
#include "ServerOptions.h"
#include "SessionServer.h"
#include "WebServer.h"

namespace {

using namespace ostiva::server;

// Writes "PORT CONTROLPORT\n" ("PORT CONTROLPORT HTTPPORT\n" with the web
// pages; CONTROLPORT 0 without a control channel) beside the target and renames it into place, so a
// reader never sees half of it.
bool WritePortFile(const std::string& path, uint16_t port, uint16_t controlPort,
                   std::optional<uint16_t> httpPort) {
    std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::string text = std::to_string(port) + " " + std::to_string(controlPort);
    if (httpPort) text += " " + std::to_string(*httpPort);
    text += "\n";
    bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

int RunAccountCommand(const ServerOptions& options) {
    ServerDatabase db(options.db);
    switch (options.mode) {
        case ServerOptions::Mode::AccountAdd: {
            Account account = options.account;
            std::string password = options.password;
            if (options.passwordFile.empty()) {
                std::fprintf(stderr,
                             "ostiva-server: warning: --password shows the password to every "
                             "local user (/proc/PID/cmdline); use --password-file FILE or -\n");
            } else {
                std::string error;
                auto read = ReadPasswordFile(options.passwordFile, &error);
                if (!read) {
                    std::fprintf(stderr, "ostiva-server: password: %s\n", error.c_str());
                    return 2;
                }
                password = *read;
            }
            account.passwordHash = HashPassword(password);
            db.PutAccount(account);
            std::printf("account %s stored\n", account.id.c_str());
            return 0;
        }
        case ServerOptions::Mode::AccountRemove:
            if (!db.RemoveAccount(options.account.id)) {
                std::fprintf(stderr, "ostiva-server: no account %s\n", options.account.id.c_str());
                return 1;
            }
            std::printf("account %s removed\n", options.account.id.c_str());
            return 0;
        default:
            for (const auto& account : db.Accounts()) {
                std::printf("%s\t%s\t%s\t%s\n", account.id.c_str(), account.company.c_str(),
                            account.name.c_str(),
                            account.expiry.empty() ? "(no expiry)" : account.expiry.c_str());
            }
            return 0;
    }
}

// Runs one of the server's threads: an exception is logged and ends the
// server in order, never the process at once.
std::thread Guarded(ServerCore& core, const char* what, std::function<void()> body) {
    return std::thread([&core, what, body = std::move(body)] {
        try {
            body();
        } catch (const std::exception& e) {
            Log(std::string(what) + ": " + e.what() + "; ending");
            core.RequestQuit();
        } catch (...) {
            Log(std::string(what) + ": unknown error; ending");
            core.RequestQuit();
        }
    });
}

int Serve(const ServerOptions& options) {
    // Signals are taken by one thread with sigwait; every other thread
    // inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    ServerDatabase db(options.db.empty() ? ServerDatabase::kInMemory : options.db);
    db.CloseOpenSessions(NowText());
    if (!options.accountsFile.empty()) {
        AccountsFileResult accounts = ReadAccountsFile(options.accountsFile, kPasswordIterations);
        if (!accounts.error.empty()) {
            std::fprintf(stderr, "ostiva-server: %s\n", accounts.error.c_str());
            return 2;
        }
        for (const auto& account : accounts.accounts) db.PutAccount(account);
        Log("imported " + std::to_string(accounts.accounts.size()) + " accounts from " +
            options.accountsFile);
    }

    std::string token;
    if (!options.controlTokenFile.empty()) {
        std::string error;
        auto read = ReadTokenFile(options.controlTokenFile, &error);
        if (!read) {
            std::fprintf(stderr, "ostiva-server: control token: %s\n", error.c_str());
            return 2;
        }
        token = *read;
    }

    ServerCore core(db, std::chrono::milliseconds(options.loginPaceMs));
    SessionServer sessions(core, options.port, options.bind == "127.0.0.1");
    std::unique_ptr<ControlServer> control;
    if (options.controlPort) {
        control = std::make_unique<ControlServer>(core, *options.controlPort, token);
    }
    std::string demoText = options.demo ? DescribeDemoTimes(options.demoTimes) : std::string();
    std::unique_ptr<WebServer> web;
    if (options.httpPort) web = std::make_unique<WebServer>(core, *options.httpPort, demoText);
    std::unique_ptr<DemoCustomer> demo;
    if (options.demo) demo = std::make_unique<DemoCustomer>(core, options.demoTimes);
    std::thread sessionThread = Guarded(core, "sessions", [&] { sessions.Run(); });
    std::thread controlThread;
    if (control) controlThread = Guarded(core, "control", [&] { control->Run(); });
    std::thread webThread;
    if (web) webThread = Guarded(core, "web pages", [&] { web->Run(); });
    std::thread demoThread;
    if (demo) demoThread = Guarded(core, "demo customer", [&] { demo->Run(); });
    std::thread signalThread([&] {
        int received = 0;
        while (sigwait(&signals, &received) == 0) {
            if (received != SIGUSR1) Log(std::string("signal ") + strsignal(received) + ", ending");
            core.RequestQuit();
            return;
        }
    });

    uint16_t controlPort = control ? control->Port() : 0;
    std::printf("listening on %s:%u", options.bind.c_str(), unsigned(sessions.Port()));
    if (control) {
        std::printf(" control 127.0.0.1:%u%s", unsigned(controlPort),
                    token.empty() ? "" : " (token)");
    }
    if (web) std::printf(" web http://127.0.0.1:%u/info", unsigned(web->Port()));
    std::printf("\n");
    if (demo) std::printf("demo customer: %s\n", demoText.c_str());
    std::fflush(stdout);
    std::optional<uint16_t> httpPort;
    if (web) httpPort = web->Port();
    if (!options.portFile.empty() &&
        !WritePortFile(options.portFile, sessions.Port(), controlPort, httpPort)) {
        Log("cannot write the port file " + options.portFile + ": " + std::strerror(errno));
        core.RequestQuit();
    }

    core.WaitForQuit();
    if (demo) demo->Stop();
    if (web) web->Stop();
    sessions.Stop();
    if (control) control->Stop();
    if (demoThread.joinable()) demoThread.join();
    if (webThread.joinable()) webThread.join();
    sessionThread.join();
    if (controlThread.joinable()) controlThread.join();
    pthread_kill(signalThread.native_handle(), SIGUSR1);
    signalThread.join();
    Log("ended");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    ParsedOptions parsed = ParseServerOptions(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "ostiva-server: %s\n%s", parsed.error.c_str(), kServerUsage);
        return 2;
    }
    if (parsed.options.mode == ServerOptions::Mode::Help) {
        std::fputs(kServerUsage, stdout);
        return 0;
    }
    try {
        if (parsed.options.mode != ServerOptions::Mode::Serve)
            return RunAccountCommand(parsed.options);
        return Serve(parsed.options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ostiva-server: %s\n", e.what());
        return 1;
    }
}
