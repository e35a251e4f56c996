// "account add" takes the password from a file or standard input, never
// needing it on the command line; the old --password still works but warns.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "RawConsole.h"
#include "TempDirectory.h"
#include "support/ServerProcess.h"

namespace ostiva::test {
namespace {

// Runs the shell command; its exit status.
int RunShell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
}

TEST(PasswordFile, AccountsAddedWithoutThePasswordOnTheCommandLine) {
    TempDirectory directory;
    std::string db = directory.File("server.db");
    std::string add = ServerProcess::BinaryPath() + " account add --db '" + db + "' ";
    std::string err = directory.File("err");
    WriteText(directory.File("dave.pw"), "dave's pass word\n");
    WriteText(directory.File("erin.pw"), "erin-pw\r\n");
    EXPECT_EQ(
        RunShell(add + "--id dave --password-file '" + directory.File("dave.pw") + "' >/dev/null"),
        0);
    EXPECT_EQ(RunShell(add + "--id erin --password-file - <'" + directory.File("erin.pw") +
                       "' >/dev/null"),
              0);
    EXPECT_EQ(RunShell(add + "--id fay --password fay-pw >/dev/null 2>'" + err + "'"), 0);
    EXPECT_NE(ReadText(err).find("warning: --password shows the password"), std::string::npos);
    // An empty file adds nothing.
    WriteText(directory.File("empty.pw"), "\n");
    EXPECT_EQ(RunShell(add + "--id gil --password-file '" + directory.File("empty.pw") + "' 2>'" +
                       err + "'"),
              2);
    EXPECT_NE(ReadText(err).find("empty"), std::string::npos) << ReadText(err);

    ServerProcess::Options options;
    options.extraArguments = {"--db", db};
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    struct Case {
        std::u16string id, password;
        uint16_t result;
    };
    for (const Case& c : {Case{u"dave", u"dave's pass word", 6003}, Case{u"erin", u"erin-pw", 6003},
                          Case{u"fay", u"fay-pw", 6003}, Case{u"gil", u"", 6000}}) {
        auto console = OpenConsole(server.Port());
        EXPECT_EQ(SendLogin(*console, c.id, c.password), c.result);
    }
}

}  // namespace
}  // namespace ostiva::test
