#pragma once
// The command line of ostiva-server.
//
//   ostiva-server [--port P] [--control-port Q [--control-token-file FILE]]
//                 [--accounts FILE] [--db PATH] [--port-file PATH]
//                 [--bind 127.0.0.1|0.0.0.0] [--http-port H] [--demo]
//                 [--demo-times R,C,E] [--login-pace MS]
//   ostiva-server account add --db PATH --id ID --password-file FILE|- [--company TEXT]
//                 [--name TEXT] [--expiry YYYY-MM-DD] [--customer-url URL]
//                 [--link1 URL] [--link2 URL]
//   ostiva-server account remove --db PATH --id ID
//   ostiva-server account list --db PATH

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Account.h"
#include "DemoCustomer.h"

namespace ostiva::server {

struct ServerOptions {
    enum class Mode { Serve, AccountAdd, AccountRemove, AccountList, Help };
    Mode mode = Mode::Serve;

    uint16_t port = 0;  // 0: any free port
    // The control channel on 127.0.0.1 (0: any free port); none without the
    // option. It can read what consoles sent, kick them and stop the server.
    std::optional<uint16_t> controlPort;
    // A file of mode 0600 whose first line is the token every control
    // connection must send first as "auth TOKEN"; empty: no token asked.
    std::string controlTokenFile;
    // The wait after the first failed login of a helper ID or from an
    // address, doubled with each further one (LoginThrottle); 0: no waits.
    int loginPaceMs = 250;
    std::string accountsFile;
    std::string db;  // empty: in memory
    std::string portFile;
    std::string bind = "127.0.0.1";
    // The web pages on 127.0.0.1 (0: any free port); none without the option.
    std::optional<uint16_t> httpPort;
    // The demo customer (DemoCustomer.h) and its delays.
    bool demo = false;
    DemoTimes demoTimes;

    // account add / remove: the password in plain text until it is hashed,
    // from the command line (deprecated: every local user can read it) or
    // read from passwordFile ("-": standard input) by ReadPassword.
    Account account;
    std::string password;
    std::string passwordFile;
};

struct ParsedOptions {
    ServerOptions options;
    std::string error;  // empty when the command line was understood
};

ParsedOptions ParseServerOptions(const std::vector<std::string>& arguments);

extern const char* const kServerUsage;

}  // namespace ostiva::server
