#include "CliConsole.h"

#include "util/Utf.h"

namespace ostiva::cli {

CliConsole::CliConsole(EventWriter& out, CodeCommands& session, ViewerLauncher& launcher,
                       std::u16string programDir)
    : out_(out),
      view_([this](Event event) { Defer(std::move(event)); }),
      launcher_(launcher, [this](Event event) { Defer(std::move(event)); }),
      logic_(view_, session, launcher_, std::move(programDir)) {}

CliConsole::~CliConsole() {
    End(status_);
}

void CliConsole::Open(const ConsoleAccount& account) {
    logic_.Open(account, ConsoleLogic::FirstCode::Wait);
    FlushDeferred();
}

// ---- input ----

bool CliConsole::PostLine(LineSplitter::Line line) {
    {
        std::unique_lock<std::mutex> guard(waitingLock_);
        room_.wait(guard, [this] { return closed_ || waitingLines_ < kMaxWaitingLines; });
        if (closed_) return false;
        ++waitingLines_;
    }
    return queue_.Post([this, line = std::move(line)] {
        {
            std::lock_guard<std::mutex> guard(waitingLock_);
            --waitingLines_;
        }
        room_.notify_one();
        HandleLine(line);
    });
}

void CliConsole::PostEndOfInput() {
    queue_.Post([this] { End(0); });
}

void CliConsole::HandleLine(const LineSplitter::Line& line) {
    ++lineNumber_;
    if (line.tooLong) {
        CommandError("longer than " + std::to_string(kMaxCommandLine) + " bytes");
        return;
    }
    CliCommandParse parse = ParseCliCommand(line.text);
    switch (parse.status) {
        case CliCommandParse::Status::Blank:
            return;
        case CliCommandParse::Status::Error:
            CommandError(parse.error);
            return;
        case CliCommandParse::Status::Ok:
            Execute(parse.command);
            FlushDeferred();
            return;
    }
}

void CliConsole::CommandError(const std::string& message) {
    Emit(ErrorEvent("line " + std::to_string(lineNumber_) + ": " + message));
}

// ---- commands ----

void CliConsole::Execute(const CliCommand& command) {
    switch (command.kind) {
        case CliCommand::Kind::Create:
            Create();
            break;
        case CliCommand::Kind::Delete:
            Delete(command.code);
            break;
        case CliCommand::Kind::Connect:
            Connect(command.code);
            break;
        case CliCommand::Kind::Report:
            Report(command);
            break;
        case CliCommand::Kind::Quit:
            End(0);
            break;
    }
}

void CliConsole::Create() {
    if (logic_.codes().size() + creating_ >= ConsoleLogic::kMaxCodes) {
        Emit(LimitEvent());
        return;
    }
    logic_.OnCreateCode();
    ++creating_;
}

void CliConsole::Delete(int32_t code) {
    if (!Select(code)) return;
    logic_.OnDeleteCode();
}

void CliConsole::Connect(int32_t code) {
    if (!Select(code)) return;
    // The Connect button is disabled for Waiting and Ended codes; the
    // handler would do nothing, and a script would wait for a viewer.
    if (!logic_.connectEnabled()) {
        CommandError("access code " + std::to_string(code) + " is " +
                     StateName(logic_.codes()[logic_.selectedIndex()].state) +
                     ", not Ready or Connected");
        return;
    }
    logic_.OnConnect();
}

void CliConsole::Report(const CliCommand& command) {
    if (!Select(command.code)) return;
    if (!logic_.saveEnabled()) {
        CommandError("the report of access code " + std::to_string(command.code) +
                     " cannot be saved while it is " +
                     StateName(logic_.codes()[logic_.selectedIndex()].state));
        return;
    }
    // The click showed the code's stored texts; the command types over the
    // fields it names, as the technician would, then saves.
    auto type = [this](const std::optional<std::u16string>& text, ConsoleControl control) {
        if (text) view_.SetControlText(control, *text);
    };
    type(command.company, ConsoleControl::ReportCompany);
    type(command.name, ConsoleControl::ReportName);
    type(command.email, ConsoleControl::ReportEmail);
    type(command.phone, ConsoleControl::ReportPhone);
    type(command.memo, ConsoleControl::ReportMemo);
    logic_.OnSaveReport();
}

bool CliConsole::Select(int32_t code) {
    const int32_t position = Find(code);
    if (position < 0) {
        CommandError("no access code " + std::to_string(code));
        return false;
    }
    // The list's notifications in the order a click sends them.
    logic_.OnListItemChanged();
    logic_.OnListClick(position);
    return true;
}

int32_t CliConsole::Find(int32_t code) const {
    const auto& codes = logic_.codes();
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].code == code) return static_cast<int32_t>(i);
    }
    return -1;
}

// ---- the receive loop ----

void CliConsole::OnCodeCreated(int32_t code) {
    queue_.Post([this, code] {
        if (creating_ > 0) --creating_;
        logic_.OnCodeCreated(code);
        Emit(CodeCreatedEvent(code));
        FlushDeferred();
    });
}

void CliConsole::OnCodeStatus(const wire::CodeStatus& status) {
    // Copied: the loop reuses its record.
    queue_.Post([this, status] {
        logic_.OnCodeStatus(status);
        // A status for a code this console does not list changes nothing
        // and is not reported.
        const int32_t position = Find(status.code);
        if (position >= 0) {
            Emit(StatusEvent(logic_.codes()[position], status.timeText, logic_.todayCount()));
        }
        FlushDeferred();
    });
}

void CliConsole::OnSignedInElsewhere() {
    queue_.Post([this] {
        Emit(SignedInElsewhereEvent());
        End(0);
    });
}

void CliConsole::OnConnectionLost() {
    queue_.Post([this] {
        Emit(ConnectionLostEvent());
        End(0);
    });
}

// ---- running ----

int CliConsole::Run() {
    queue_.Run();
    return status_;
}

void CliConsole::Emit(const Event& event) {
    if (ended_) return;
    if (!out_.Write(event)) End(1);
}

void CliConsole::FlushDeferred() {
    std::vector<Event> events;
    events.swap(deferred_);
    for (const Event& event : events) Emit(event);
}

void CliConsole::End(int status) {
    if (!ended_) {
        ended_ = true;
        status_ = status;
    }
    queue_.Stop();
    {
        std::lock_guard<std::mutex> guard(waitingLock_);
        closed_ = true;
    }
    room_.notify_all();
}

}  // namespace ostiva::cli
