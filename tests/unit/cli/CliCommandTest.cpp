// The JSON command reader against what a script, a typo or a hostile peer
// may put on one line.

#include <gtest/gtest.h>

#include <string>

#include "CliCommand.h"

namespace ostiva::cli {
namespace {

using Status = CliCommandParse::Status;

std::string WithNul() {
    static const char text[] = "{\"cmd\":\"cr\0eate\"}";
    return std::string(text, sizeof text - 1);
}

TEST(CliCommandParser, ReadsEachCommand) {
    struct Case {
        std::string line;
        CliCommand::Kind kind;
        int32_t code;
    };
    const Case cases[] = {
        {R"({"cmd":"create"})", CliCommand::Kind::Create, 0},
        {R"({"cmd":"quit"})", CliCommand::Kind::Quit, 0},
        {R"({"cmd":"delete","code":123456})", CliCommand::Kind::Delete, 123456},
        {R"({"code":7,"cmd":"connect"})", CliCommand::Kind::Connect, 7},
        {"  {\"cmd\" : \"report\", \"code\" : -2147483648 }\r", CliCommand::Kind::Report,
         INT32_MIN},
        {R"({"cmd":"delete","code":2147483647})", CliCommand::Kind::Delete, INT32_MAX},
    };
    for (const Case& c : cases) {
        CliCommandParse parse = ParseCliCommand(c.line);
        ASSERT_EQ(parse.status, Status::Ok) << c.line << ": " << parse.error;
        EXPECT_EQ(parse.command.kind, c.kind) << c.line;
        EXPECT_EQ(parse.command.code, c.code) << c.line;
    }
}

TEST(CliCommandParser, BlankLinesAreNotCommands) {
    for (std::string line : {"", " ", "\t \r", "\r"}) {
        EXPECT_EQ(ParseCliCommand(line).status, Status::Blank) << '"' << line << '"';
    }
}

TEST(CliCommandParser, ReportTakesTheTextsItNamesUpToTheirSlots) {
    // U+1F600 is two UTF-16 units: 14 of them fill the 30-unit company slot
    // but for two units, 15 fill it exactly, 16 overflow it.
    std::string smiles;
    for (int i = 0; i < 15; ++i) smiles += "\xF0\x9F\x98\x80";
    CliCommandParse parse = ParseCliCommand(R"({"cmd":"report","code":1,"company":")" + smiles +
                                            R"(","memo":"a\nb\u00e9","phone":""})");
    ASSERT_EQ(parse.status, Status::Ok) << parse.error;
    ASSERT_TRUE(parse.command.company);
    EXPECT_EQ(parse.command.company->size(), 30u);
    EXPECT_EQ(parse.command.memo, std::u16string(u"a\nb\u00e9"));
    EXPECT_EQ(parse.command.phone, std::u16string());
    EXPECT_FALSE(parse.command.name);  // left out: the code keeps its own
    EXPECT_FALSE(parse.command.email);

    struct Limit {
        const char* key;
        size_t units;
    };
    for (Limit limit : {Limit{"company", 30}, Limit{"name", 31}, Limit{"email", 30},
                        Limit{"phone", 30}, Limit{"memo", 1024}}) {
        auto line = [&](size_t n) {
            return std::string(R"({"cmd":"report","code":1,")") + limit.key + R"(":")" +
                   std::string(n, 'x') + "\"}";
        };
        EXPECT_EQ(ParseCliCommand(line(limit.units)).status, Status::Ok) << limit.key;
        CliCommandParse over = ParseCliCommand(line(limit.units + 1));
        EXPECT_EQ(over.status, Status::Error) << limit.key;
        EXPECT_NE(over.error.find(limit.key), std::string::npos) << over.error;
    }
}

TEST(CliCommandParser, RefusesHostileLinesWithAReason) {
    const std::string cases[] = {
        // Not one JSON object.
        "{",
        "}",
        "[]",
        R"("create")",
        "42",
        "null",
        R"({"cmd":"create"} x)",
        R"({"cmd":"create"}{"cmd":"quit"})",
        R"({"cmd":"create",})",
        "{'cmd':'create'}",
        // Nesting, at any depth.
        R"({"cmd":{"x":1}})",
        R"({"cmd":"report","code":1,"memo":["a"]})",
        std::string(30000, '[') + std::string(30000, ']'),
        "{\"cmd\":" + std::string(50000, '[') + "}",
        // Keys: missing, unknown, twice, not meant for this command.
        "{}",
        R"({"code":1})",
        R"({"cmd":"create","x":1})",
        R"({"cmd":"create","cmd":"quit"})",
        R"({"cmd":"create","code":1})",
        R"({"cmd":"delete","memo":"m","code":1})",
        // The command name.
        R"({"cmd":"Create"})",
        R"({"cmd":1})",
        R"({"cmd":null})",
        R"({"cmd":["create"]})",
        // The code.
        R"({"cmd":"delete"})",
        R"({"cmd":"delete","code":"123456"})",
        R"({"cmd":"delete","code":1.5})",
        R"({"cmd":"delete","code":1e3})",
        R"({"cmd":"delete","code":true})",
        R"({"cmd":"delete","code":null})",
        R"({"cmd":"delete","code":2147483648})",
        R"({"cmd":"delete","code":-2147483649})",
        R"({"cmd":"delete","code":99999999999999999999999})",
        // Texts: wrong type, NUL, bad UTF-8, lone surrogates, raw control bytes.
        R"({"cmd":"report","code":1,"memo":5})",
        R"({"cmd":"report","code":1,"name":"a\u0000b"})",
        "{\"cmd\":\"report\",\"code\":1,\"name\":\"\xC3\x28\"}",
        "{\"cmd\":\"report\",\"code\":1,\"name\":\"\xED\xA0\x80\"}",
        R"({"cmd":"report","code":1,"name":"\ud800"})",
        R"({"cmd":"report","code":1,"name":"\udc00x"})",
        "{\"cmd\":\"report\",\"code\":1,\"memo\":\"a\nb\"}",
        WithNul(),
        // Longer than any command may be.
        R"({"cmd":"report","code":1,"memo":")" + std::string(kMaxCommandLine, ' ') + "\"}",
    };
    for (const std::string& line : cases) {
        CliCommandParse parse = ParseCliCommand(line);
        EXPECT_EQ(parse.status, Status::Error) << line.substr(0, 80);
        EXPECT_FALSE(parse.error.empty()) << line.substr(0, 80);
        EXPECT_LT(parse.error.size(), 200u) << parse.error.substr(0, 80);
    }
}

TEST(CliCommandParser, EchoesOnlyTheStartOfALongName) {
    std::string key(5000, 'k');
    CliCommandParse parse = ParseCliCommand("{\"" + key + "\":1}");
    ASSERT_EQ(parse.status, Status::Error);
    EXPECT_LT(parse.error.size(), 80u) << parse.error;
    // A cut inside a multi-byte character backs off to its start.
    std::string wide;
    for (int i = 0; i < 40; ++i) wide += "\xC3\xA9";
    parse = ParseCliCommand(R"({"cmd":")" + wide + "\"}");
    ASSERT_EQ(parse.status, Status::Error);
    EXPECT_NE(parse.error.find("\xC3\xA9...\""), std::string::npos) << parse.error;
}

}  // namespace
}  // namespace ostiva::cli
