#include "ServerOptions.h"

#include <map>

#include "ControlLine.h"

namespace ostiva::server {

const char* const kServerUsage =
    "usage: ostiva-server [--port P] [--control-port Q [--control-token-file FILE]]\n"
    "                     [--accounts FILE] [--db PATH] [--port-file PATH]\n"
    "                     [--bind 127.0.0.1|0.0.0.0] [--http-port H] [--demo]\n"
    "                     [--demo-times R,C,E] [--login-pace MS]\n"
    "       ostiva-server account add --db PATH --id ID --password-file FILE|-\n"
    "                     [--company TEXT] [--name TEXT] [--expiry YYYY-MM-DD]\n"
    "                     [--customer-url URL] [--link1 URL] [--link2 URL]\n"
    "       ostiva-server account remove --db PATH --id ID\n"
    "       ostiva-server account list --db PATH\n"
    "\n"
    "  --control-port Q       the control channel on 127.0.0.1:Q (0: a free port); without\n"
    "                         it there is none. It reads what consoles sent, kicks them\n"
    "                         and stops the server: serve it only to whom may do that\n"
    "  --control-token-file F a file of mode 0600 holding a token; each control\n"
    "                         connection must then begin with the line \"auth TOKEN\"\n"
    "  --login-pace MS        the wait before the next login after a failed one of the\n"
    "                         same helper ID or from the same address, doubled with each\n"
    "                         further failure up to 8 s (default 250; 0: no waits)\n"
    "  --password-file FILE   the account's password: the first line of FILE, or of\n"
    "                         standard input with \"-\" (asked without echo on a terminal).\n"
    "                         --password PW still works but shows PW to every local user\n";

namespace {

// Reads "--name value" pairs into `values`; the names allowed are the keys
// already present.
std::string ReadPairs(const std::vector<std::string>& arguments, size_t start,
                      std::map<std::string, std::string>* values) {
    for (size_t i = start; i < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        auto it = values->find(name);
        if (it == values->end()) return "unknown option " + name;
        if (i + 1 >= arguments.size()) return name + " needs a value";
        it->second = arguments[i + 1];
    }
    return {};
}

std::string ReadPort(const std::string& text, const char* what, uint16_t* port) {
    auto value = ParseUint16(text);
    if (!value) return std::string(what) + " must be a number from 0 to 65535";
    *port = *value;
    return {};
}

}  // namespace

ParsedOptions ParseServerOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    ServerOptions& options = parsed.options;
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        options.mode = ServerOptions::Mode::Help;
        return parsed;
    }
    if (!arguments.empty() && arguments[0] == "account") {
        if (arguments.size() < 2) {
            parsed.error = "account needs add, remove or list";
            return parsed;
        }
        const std::string& verb = arguments[1];
        std::map<std::string, std::string> values{{"--db", ""}, {"--id", ""}};
        if (verb == "add") {
            options.mode = ServerOptions::Mode::AccountAdd;
            for (const char* name : {"--password", "--password-file", "--company", "--name",
                                     "--expiry", "--customer-url", "--link1", "--link2"}) {
                values[name] = "";
            }
        } else if (verb == "remove") {
            options.mode = ServerOptions::Mode::AccountRemove;
        } else if (verb == "list") {
            options.mode = ServerOptions::Mode::AccountList;
            values.erase("--id");
        } else {
            parsed.error = "account needs add, remove or list, not " + verb;
            return parsed;
        }
        parsed.error = ReadPairs(arguments, 2, &values);
        if (!parsed.error.empty()) return parsed;
        options.db = values["--db"];
        if (options.db.empty()) {
            parsed.error = "account " + verb + " needs --db PATH";
            return parsed;
        }
        options.account.id = values["--id"];
        if (options.mode != ServerOptions::Mode::AccountList && options.account.id.empty()) {
            parsed.error = "account " + verb + " needs --id ID";
            return parsed;
        }
        if (options.mode == ServerOptions::Mode::AccountAdd) {
            options.password = values["--password"];
            options.passwordFile = values["--password-file"];
            if (options.password.empty() == options.passwordFile.empty()) {
                parsed.error = "account add needs --password-file FILE (or - for standard input)";
                return parsed;
            }
            options.account.company = values["--company"];
            options.account.name = values["--name"];
            options.account.expiry = values["--expiry"];
            options.account.customerUrl = values["--customer-url"];
            options.account.link1 = values["--link1"];
            options.account.link2 = values["--link2"];
            if (!options.account.expiry.empty() && !IsDateText(options.account.expiry)) {
                parsed.error = "--expiry must be YYYY-MM-DD";
                return parsed;
            }
        }
        return parsed;
    }

    // --demo is the one option without a value.
    std::vector<std::string> pairs;
    for (const auto& argument : arguments) {
        if (argument == "--demo") {
            options.demo = true;
        } else {
            pairs.push_back(argument);
        }
    }
    std::map<std::string, std::string> values{
        {"--port", "0"},         {"--control-port", ""}, {"--control-token-file", ""},
        {"--accounts", ""},      {"--db", ""},           {"--port-file", ""},
        {"--bind", "127.0.0.1"}, {"--http-port", ""},    {"--demo-times", ""},
        {"--login-pace", "250"}};
    parsed.error = ReadPairs(pairs, 0, &values);
    if (parsed.error.empty()) {
        auto pace = ParseUint16(values["--login-pace"]);
        if (!pace || *pace > 60000) {
            parsed.error = "--login-pace takes milliseconds from 0 to 60000";
        } else {
            options.loginPaceMs = *pace;
        }
    }
    if (parsed.error.empty() && !values["--http-port"].empty()) {
        uint16_t httpPort = 0;
        parsed.error = ReadPort(values["--http-port"], "--http-port", &httpPort);
        options.httpPort = httpPort;
    }
    if (parsed.error.empty() && !values["--demo-times"].empty()) {
        auto times = ParseDemoTimes(values["--demo-times"]);
        if (!times) {
            parsed.error = "--demo-times takes three delays in seconds, R,C,E (e.g. 3,4,20)";
        } else {
            options.demoTimes = *times;
        }
    }
    if (parsed.error.empty()) parsed.error = ReadPort(values["--port"], "--port", &options.port);
    if (parsed.error.empty() && !values["--control-port"].empty()) {
        uint16_t controlPort = 0;
        parsed.error = ReadPort(values["--control-port"], "--control-port", &controlPort);
        options.controlPort = controlPort;
    }
    options.controlTokenFile = values["--control-token-file"];
    if (parsed.error.empty() && !options.controlTokenFile.empty() && !options.controlPort) {
        parsed.error = "--control-token-file needs --control-port";
    }
    options.accountsFile = values["--accounts"];
    options.db = values["--db"];
    options.portFile = values["--port-file"];
    options.bind = values["--bind"];
    if (parsed.error.empty() && options.bind != "127.0.0.1" && options.bind != "0.0.0.0") {
        parsed.error = "--bind takes 127.0.0.1 (loopback) or 0.0.0.0 (every address)";
    }
    return parsed;
}

}  // namespace ostiva::server
