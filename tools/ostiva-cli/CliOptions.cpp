#include "CliOptions.h"

#include <string_view>

namespace ostiva::cli {

const char* const kCliUsage =
    R"(Usage: ostiva-cli --id ID [--password-file PATH] [--settings PATH] [--force]
       ostiva-cli --help

Signs in to the session server as the helper ID, then reads one JSON command
per line on standard input and writes one JSON event per line on standard
output. Access codes are requested only when a command asks for one.

Options:
  --id ID               the helper ID to sign in with
  --password-file PATH  read the password from PATH (its first line); without
                        it the password comes from the environment variable
                        OSTIVA_PASSWORD, else from the settings file's saved
                        password when "helper"/"savepw" is 1
  --settings PATH       the settings file (default ./info.dat): server address
                        and port, proxy settings
  --force               sign in even when the helper ID is signed in
                        elsewhere (that console is signed out)
  --help                show this text

Commands (standard input):
  {"cmd":"create"}
  {"cmd":"delete","code":N}
  {"cmd":"connect","code":N}
  {"cmd":"report","code":N,"company":"..","name":"..","email":"..","phone":"..","memo":".."}
  {"cmd":"quit"}

Events (standard output): login, code_created, status, viewer, limit, error,
signed_in_elsewhere, connection_lost.

Exit status: 0 after quit, the end of standard input or the end of the
session; 1 when the login failed or standard output could not be written;
2 for a bad command line.
)";

namespace {

struct OptionInfo {
    std::string_view name;
    bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {"--id", true},     {"--password-file", true}, {"--settings", true},
    {"--force", false}, {"--help", false},
};

}  // namespace

ParsedCliOptions ParseCliOptions(const std::vector<std::string>& arguments) {
    ParsedCliOptions parsed;
    CliOptions& options = parsed.options;
    bool seen[std::size(kOptions)] = {};

    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        std::string_view name = argument;
        std::string value;
        bool inlineValue = false;
        size_t equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = std::string(argument.substr(equals + 1));
            inlineValue = true;
        }

        size_t index = 0;
        while (index < std::size(kOptions) && kOptions[index].name != name) ++index;
        if (index == std::size(kOptions)) {
            parsed.error = "unknown argument '" + std::string(argument) + "'";
            return parsed;
        }
        const OptionInfo& option = kOptions[index];
        if (seen[index]) {
            parsed.error = std::string(option.name) + " given twice";
            return parsed;
        }
        seen[index] = true;

        if (option.takesValue && !inlineValue) {
            if (i + 1 >= arguments.size()) {
                parsed.error = std::string(option.name) + " needs a value";
                return parsed;
            }
            value = arguments[++i];
        } else if (!option.takesValue && inlineValue) {
            parsed.error = std::string(option.name) + " takes no value";
            return parsed;
        }
        if (option.takesValue && value.empty()) {
            parsed.error = std::string(option.name) + " needs a non-empty value";
            return parsed;
        }

        if (name == "--id") {
            options.id = value;
        } else if (name == "--password-file") {
            options.passwordFile = value;
        } else if (name == "--settings") {
            options.settingsPath = value;
            options.settingsGiven = true;
        } else if (name == "--force") {
            options.force = true;
        } else if (name == "--help") {
            options.help = true;
        }
    }

    if (!options.help && options.id.empty()) parsed.error = "--id is required";
    return parsed;
}

}  // namespace ostiva::cli
