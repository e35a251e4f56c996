#include <gtest/gtest.h>

#include "ConsoleFakes.h"
#include "console/ConsoleLogic.h"

using namespace ostiva;
using namespace ostiva::testing;

namespace {

class ReportPanel : public ::testing::Test {
  protected:
    ReportPanel() : logic(view, commands, launcher, dir.wide()) {}

    // A connected code with the given addresses and version, shown in the panel.
    void ShowConnected(std::u16string first, std::u16string second, uint16_t osCode) {
        logic.OnCodeCreated(5);
        wire::CodeStatus status;
        status.code = 5;
        status.state = static_cast<uint16_t>(AccessCodeState::Connected);
        status.firstAddress = std::move(first);
        status.secondAddress = std::move(second);
        status.osCode = osCode;
        logic.OnCodeStatus(status);
    }

    ScratchDir dir;
    FakeView view;
    FakeCommands commands;
    RecordingLauncher launcher;
    ConsoleLogic logic;
};

}  // namespace

TEST_F(ReportPanel, AddressLineNeedsTheFirstAddress) {
    ShowConnected(u"", u"10.0.0.2", 0);
    EXPECT_EQ(view.texts[ConsoleControl::Address], u"");
    logic.OnCodeStatus([] {
        wire::CodeStatus s;
        s.code = 5;
        s.state = 2;
        s.firstAddress = u"198.51.100.7";
        s.secondAddress = u"10.0.0.2";
        return s;
    }());
    EXPECT_EQ(view.texts[ConsoleControl::Address], u"198.51.100.7 / 10.0.0.2");
    EXPECT_GT(view.invalidations, 0);
}

TEST_F(ReportPanel, OsLineIsEmptyOutsideTheTable) {
    ShowConnected(u"a", u"b", 14);
    EXPECT_EQ(view.texts[ConsoleControl::OsName], u"Windows 10");
    for (uint16_t code : {uint16_t(0), uint16_t(15), uint16_t(0xFFFF)}) {
        logic.DropCodes();
        ShowConnected(u"a", u"b", code);
        EXPECT_EQ(view.texts[ConsoleControl::OsName], u"") << code;
    }
}

TEST_F(ReportPanel, CustomerUrlGoesToTheClipboardEvenWhenEmpty) {
    view.clipboard = u"old";
    logic.OnCopyCustomerUrl();
    EXPECT_EQ(view.clipboard, u"");
    ConsoleAccount account;
    account.customerUrl = u"https://help.example.com/c/42";
    logic.Open(account);
    logic.OnCopyCustomerUrl();
    EXPECT_EQ(view.clipboard, u"https://help.example.com/c/42");
}
