#pragma once
// The command line of ostiva-cli (kCliUsage is the --help text).

#include <string>
#include <vector>

namespace ostiva::cli {

struct CliOptions {
    std::string id;            // the helper ID, as given
    std::string passwordFile;  // empty: OSTIVA_PASSWORD, then the saved password
    std::string settingsPath = "./info.dat";
    bool settingsGiven = false;  // --settings names a file that must exist
    bool force = false;          // answer "Login already..." with Yes
    bool help = false;
};

struct ParsedCliOptions {
    CliOptions options;
    std::string error;  // empty when the command line was understood
};

// `arguments` without the program name. Each option takes its value as the
// next argument or after "=" ("--id alice", "--id=alice"); an option given
// twice, an unknown option and a missing value are errors.
ParsedCliOptions ParseCliOptions(const std::vector<std::string>& arguments);

extern const char* const kCliUsage;

}  // namespace ostiva::cli
