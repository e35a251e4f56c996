#pragma once
// The command-line console: the access-code list logic (ConsoleLogic), fed
// by JSON commands from standard input and by the session's receive loop,
// reporting what happens as JSON events.
//
// Both inputs arrive on threads of their own and are only posted here; Run
// takes them one at a time on the calling thread, so the logic is never
// entered from two threads. Commands act as the window's clicks would: a
// command on a code first selects it, then runs the button's handler.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "CliCommand.h"
#include "CliEvents.h"
#include "CliView.h"
#include "LineReader.h"
#include "ReportingViewerLauncher.h"
#include "console/ConsoleLogic.h"
#include "console/EventQueue.h"
#include "session/ConsoleEvents.h"

namespace ostiva::cli {

class CliConsole : public ConsoleEvents {
  public:
    // At most this many input lines wait to be run; the input thread waits
    // for room, so a flood of commands cannot grow memory without bound.
    static constexpr size_t kMaxWaitingLines = 256;

    // None is owned; all must outlive the console. `session` sends the
    // commands; `launcher` starts the viewers.
    CliConsole(EventWriter& out, CodeCommands& session, ViewerLauncher& launcher,
               std::u16string programDir);
    ~CliConsole() override;
    CliConsole(const CliConsole&) = delete;
    CliConsole& operator=(const CliConsole&) = delete;

    // After a successful login, before Run: takes the account and prepares
    // the work directories. No code is requested until a command asks.
    void Open(const ConsoleAccount& account);

    // ---- from the input thread ----
    // Queues one line of input (waiting for room). False once the console
    // has ended.
    bool PostLine(LineSplitter::Line line);
    // The end of standard input: ends the console like quit, after the lines
    // queued before it.
    void PostEndOfInput();

    // ---- ConsoleEvents, from the receive thread ----
    void OnCodeCreated(int32_t code) override;
    void OnCodeStatus(const wire::CodeStatus& status) override;
    void OnSignedInElsewhere() override;
    void OnConnectionLost() override;

    // Runs what is posted until quit, the end of input, the end of the
    // session or an output that cannot be written. Returns the exit status:
    // 0, or 1 when the output failed.
    int Run();
    // Runs what is posted so far, without waiting (for tests).
    void RunPending() { queue_.RunPending(); }
    bool HasEnded() const { return ended_; }

    const ConsoleLogic& logic() const { return logic_; }

  private:
    void HandleLine(const LineSplitter::Line& line);
    void Execute(const CliCommand& command);
    void Create();
    void Delete(int32_t code);
    void Connect(int32_t code);
    void Report(const CliCommand& command);
    // Clicks the code's item; false (with an error event) when it is not listed.
    bool Select(int32_t code);
    int32_t Find(int32_t code) const;
    void CommandError(const std::string& message);

    // Writes an event now; view and launcher events wait in `deferred_`
    // until the step that caused them has reported itself.
    void Emit(const Event& event);
    void Defer(Event event) { deferred_.push_back(std::move(event)); }
    void FlushDeferred();
    void End(int status);

    EventWriter& out_;
    CliView view_;
    ReportingViewerLauncher launcher_;
    ConsoleLogic logic_;
    EventQueue queue_;

    std::vector<Event> deferred_;
    // Codes asked for and not yet created: the list would otherwise pass 12
    // when create commands come faster than the server answers.
    size_t creating_ = 0;
    uint64_t lineNumber_ = 0;
    bool ended_ = false;
    int status_ = 0;

    std::mutex waitingLock_;
    std::condition_variable room_;
    size_t waitingLines_ = 0;
    bool closed_ = false;
};

}  // namespace ostiva::cli
