#pragma once
// The commands ostiva-cli reads on standard input, one JSON object per line:
//
//   {"cmd":"create"}
//   {"cmd":"delete","code":N}
//   {"cmd":"connect","code":N}
//   {"cmd":"report","code":N,"company":"..","name":"..","email":"..","phone":"..","memo":".."}
//   {"cmd":"quit"}
//
// A line is untrusted input: it is read by a parser that builds nothing but
// one flat object (no nesting, so no depth to exhaust), and every value is
// checked before it is used. A report text that would not fit its record
// slot is refused, never cut, so nothing the script sent is lost unseen; a
// report field left out keeps what the code already holds.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ostiva::cli {

// The longest command line read; a memo full of \u escapes needs about 6 KiB.
inline constexpr size_t kMaxCommandLine = 64 * 1024;

struct CliCommand {
    enum class Kind { Create, Delete, Connect, Report, Quit };

    Kind kind = Kind::Create;
    int32_t code = 0;  // delete, connect, report
    // report: the texts given, each within its slot.
    std::optional<std::u16string> company;
    std::optional<std::u16string> name;
    std::optional<std::u16string> email;
    std::optional<std::u16string> phone;
    std::optional<std::u16string> memo;
};

struct CliCommandParse {
    enum class Status {
        Ok,     // `command` holds the command
        Blank,  // nothing but white space: not a command, nothing to answer
        Error,  // `error` says why the line was refused
    };

    Status status = Status::Error;
    CliCommand command;
    std::string error;
};

// Reads one line without its line end (a trailing carriage return is
// allowed).
CliCommandParse ParseCliCommand(std::string_view line);

}  // namespace ostiva::cli
