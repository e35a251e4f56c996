// What the control channel shows and to whom: login records without their
// password and only for helpers who signed in, no channel at all without
// --control-port, and with a token file no command before "auth TOKEN".

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "RawConsole.h"
#include "TempDirectory.h"
#include "support/ServerProcess.h"

namespace ostiva::test {
namespace {

std::vector<std::string> ListOf(const std::string& answer) {
    if (answer.rfind("OK ", 0) != 0) return {};
    return nlohmann::json::parse(answer.substr(3)).get<std::vector<std::string>>();
}

// The UTF-16LE bytes of `text` as hex, as a record would carry them.
std::string Utf16Hex(const std::u16string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (char16_t unit : text) {
        for (uint8_t b : {uint8_t(unit & 0xff), uint8_t(unit >> 8)}) {
            hex += digits[b >> 4];
            hex += digits[b & 15];
        }
    }
    return hex;
}

wire::Bytes FromHex(const std::string& hex) {
    wire::Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// One raw control connection: sends `text`, returns what the server sent
// until `lines` answer lines came, it closed the connection, or kRawWaitMs
// passed.
std::string RawControl(uint16_t port, const std::string& text, size_t lines) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size())) {
        char buffer[4096];
        pollfd p{fd, POLLIN, 0};
        while (size_t(std::count(answer.begin(), answer.end(), '\n')) < lines &&
               ::poll(&p, 1, kRawWaitMs) > 0) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            answer.append(buffer, size_t(n));
        }
    }
    ::close(fd);
    return answer;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ControlChannel, RecordsNeverShowPasswordsNorRefusedHelpers) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    {
        auto refused = OpenConsole(server.Port());
        EXPECT_EQ(SendLogin(*refused, u"alice", u"guess-1234"), wire::LOGIN_WRONG_CREDENTIALS);
        EXPECT_EQ(SendLogin(*refused, u"mallory", u"guess-5678"), wire::LOGIN_WRONG_CREDENTIALS);
    }
    uint16_t result = 0;
    auto console = LoggedInConsole(server.Port(), u"alice", u"secret-a", &result);
    EXPECT_EQ(result, 6003);
    auto records = ListOf(server.WaitFor("records alice", [](const std::string& answer) {
        return ListOf(answer).size() >= 3;  // login, account request, console ready
    }));
    ASSERT_EQ(records.size(), 3u);
    for (const auto& hex : records) {
        EXPECT_EQ(hex.find(Utf16Hex(u"secret-a")), std::string::npos) << hex;
        EXPECT_EQ(hex.find(Utf16Hex(u"guess-1234")), std::string::npos) << hex;
    }
    wire::LoginRequest kept = wire::ReadLogin(FromHex(records[0]));
    EXPECT_EQ(kept.helperId, u"alice");
    EXPECT_TRUE(kept.password.empty());
    // A refused login leaves nothing for any helper ID it named.
    EXPECT_EQ(server.Control("records mallory"), "OK []");
}

TEST(ControlChannel, NoneWithoutTheOption) {
    ServerProcess::Options options;
    options.controlChannel = false;
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    EXPECT_EQ(server.ControlPort(), 0);
    std::string banner = ReadText(server.Directory() + "/server.out");
    EXPECT_NE(banner.find("listening on 127.0.0.1:"), std::string::npos) << banner;
    EXPECT_EQ(banner.find("control"), std::string::npos) << banner;
    // The consoles are served as ever.
    auto console = LoggedInConsole(server.Port(), u"alice", u"secret-a");
    SendRecord(*console, wire::BuildCreateCode());
    wire::Bytes created(wire::kReceiveRecordSize);
    ASSERT_EQ(console->ReceiveExact(created.data(), created.size(), kRawWaitMs), created.size());
    EXPECT_EQ(wire::ReadType(created), wire::MSG_CODE_CREATED);
    EXPECT_EQ(server.Stop(), 0) << server.Log();
}

TEST(ControlChannel, TokenComesFirst) {
    ServerProcess::Options options;
    options.controlToken = "a7c1-token-for-the-tests";
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    EXPECT_EQ(server.Control("ping"), "OK");  // sent after "auth TOKEN"

    // Refused: the answer, then the close (more lines are never read).
    EXPECT_EQ(RawControl(server.ControlPort(), "quit\n", 2), "ERR auth TOKEN first\n");
    EXPECT_EQ(RawControl(server.ControlPort(), "auth wrong-token\nquit\n", 2),
              "ERR auth TOKEN first\n");
    // Neither quit was run.
    EXPECT_EQ(server.Control("ping"), "OK");
    EXPECT_EQ(
        RawControl(server.ControlPort(), "auth a7c1-token-for-the-tests\nping\nsessions\n", 3),
        "OK\nOK\nOK []\n");
    EXPECT_EQ(server.Stop(), 0);
}

TEST(ControlChannel, TokenFileOthersMayReadIsRefused) {
    TempDirectory directory;
    std::string path = directory.File("token");
    {
        std::ofstream out(path);
        out << "open-token\n";
    }
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ServerProcess::Options options;
    options.extraArguments = {"--control-token-file", path};
    ServerProcess server(options);
    EXPECT_FALSE(server.IsRunning());
    EXPECT_EQ(server.Stop(), 2);
    EXPECT_NE(server.Log().find("mode 0600"), std::string::npos) << server.Log();
}

}  // namespace
}  // namespace ostiva::test
