#include <gtest/gtest.h>

#include <fstream>

#include "ConsoleFakes.h"
#include "console/ConsoleLogic.h"

using namespace ostiva;
using namespace ostiva::testing;

namespace {

wire::CodeStatus Status(int32_t code, AccessCodeState state) {
    wire::CodeStatus status;
    status.code = code;
    status.state = static_cast<uint16_t>(state);
    return status;
}

wire::CodeStatus ConnectedStatus(int32_t code, int32_t connectionNumber = 77) {
    wire::CodeStatus status = Status(code, AccessCodeState::Connected);
    status.connectionNumber = connectionNumber;
    status.firstAddress = u"203.0.113.5";
    status.secondAddress = u"192.168.1.20";
    status.timeText = u"2024-05-01 10:00:00";
    status.osCode = 14;
    return status;
}

class CodeList : public ::testing::Test {
  protected:
    CodeList() : logic(view, commands, launcher, dir.wide()) {}

    // Codes arrive oldest first; the list shows them newest first.
    void Create(std::initializer_list<int32_t> list) {
        for (int32_t code : list) logic.OnCodeCreated(code);
    }
    std::u16string Dir() const { return dir.wide(); }
    std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> texts;
        for (const CodeListItem& item : view.list) texts.push_back(item.text);
        return texts;
    }

    ScratchDir dir;
    FakeView view;
    FakeCommands commands;
    RecordingLauncher launcher;
    ConsoleLogic logic;
};

}  // namespace

TEST(CodeText, ThousandsDashRemainderWithoutPadding) {
    EXPECT_EQ(ConsoleLogic::FormatCodeText(123045), u"123-45");
    EXPECT_EQ(ConsoleLogic::FormatCodeText(123456), u"123-456");
    EXPECT_EQ(ConsoleLogic::FormatCodeText(7), u"0-7");
    EXPECT_EQ(ConsoleLogic::FormatCodeText(5000), u"5-0");
}

TEST(CodeText, PositionsFillTwoRowsOfFourThenRunOn) {
    const std::pair<int, int> expected[] = {
        {12, 10},   {144, 10}, {276, 10},  {408, 10},  {12, 140},  {144, 140}, {276, 140},
        {408, 140}, {12, 270}, {144, 270}, {276, 270}, {408, 270}, {540, 270}, {672, 270},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        int x = -1, y = -1;
        ConsoleLogic::ItemPosition(i, &x, &y);
        EXPECT_EQ(std::make_pair(x, y), expected[i]) << "item " << i;
    }
}

TEST_F(CodeList, NewCodeGoesFirstAndTheFourthMovesToTheSecondRow) {
    Create({1001, 1002, 1003, 1004});
    ASSERT_EQ(view.list.size(), 4u);
    EXPECT_EQ(view.list[3].text, u"1-1");
    EXPECT_EQ(view.list[3].x, 408);
    EXPECT_EQ(view.list[3].y, 10);

    logic.OnCodeCreated(1005);
    ASSERT_EQ(view.list.size(), 5u);
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"1-5", u"1-4", u"1-3", u"1-2", u"1-1"}));
    EXPECT_EQ(view.list[0].x, 12);
    EXPECT_EQ(view.list[0].y, 10);
    EXPECT_EQ(view.list[4].x, 12);
    EXPECT_EQ(view.list[4].y, 140);
    EXPECT_EQ(view.list[0].picturePath, Dir() + u"/ready.png");
    EXPECT_EQ(logic.codes()[0].state, 0);
    EXPECT_EQ(logic.codes()[0].connectionNumber, 0);
}

TEST_F(CodeList, TwelveCodesAreTheLimitForButtonAndMenu) {
    for (int32_t code = 1; code <= 11; ++code) logic.OnCodeCreated(code);
    logic.OnCreateCode();
    EXPECT_EQ(commands.newCodeRequests, 1);
    EXPECT_FALSE(logic.createEnabled());
    EXPECT_FALSE(view.IsEnabled(ConsoleControl::Create));
    // The menu item stays usable while the button waits for the new code.
    logic.OnCreateCode();
    EXPECT_EQ(commands.newCodeRequests, 2);
    EXPECT_TRUE(view.messages.empty());

    logic.OnCodeCreated(12);
    EXPECT_TRUE(logic.createEnabled());
    EXPECT_TRUE(view.IsEnabled(ConsoleControl::Create));
    logic.OnCreateCode();
    EXPECT_EQ(commands.newCodeRequests, 2);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].id, StringId::CodeLimit);
    EXPECT_TRUE(logic.createEnabled());
}

TEST_F(CodeList, StatusForAnUnknownCodeTouchesNothing) {
    Create({1, 2});
    logic.OnListClick(1);
    const int shows = view.listShows;
    const auto before = logic.codes();
    for (auto state :
         {AccessCodeState::Ready, AccessCodeState::Connected, AccessCodeState::Ended}) {
        logic.OnCodeStatus(Status(999, state));
    }
    EXPECT_EQ(logic.codes().size(), before.size());
    EXPECT_EQ(logic.codes()[0].imagePath, before[0].imagePath);
    EXPECT_EQ(logic.codes()[1].state, before[1].state);
    EXPECT_EQ(logic.selectedIndex(), 1);
    EXPECT_EQ(logic.todayCount(), 0);
    EXPECT_EQ(view.listShows, shows);
    EXPECT_TRUE(launcher.launched.empty());
}

TEST_F(CodeList, ConnectedStoresTheCustomerAndCountsEveryTime) {
    ConsoleAccount account;
    account.todayConnections = 5;
    logic.Open(account);
    Create({4242, 1});
    logic.OnCodeStatus(ConnectedStatus(4242));
    const AccessCode& entry = logic.codes()[1];
    EXPECT_EQ(entry.imagePath, Dir() + u"/imgs/4242.png");
    EXPECT_EQ(entry.connectionNumber, 77);
    EXPECT_EQ(entry.beginTime, u"2024-05-01 10:00:00");
    EXPECT_EQ(entry.osCode, 14);
    EXPECT_EQ(logic.todayCount(), 6);
    EXPECT_EQ(logic.selectedIndex(), 1);
    EXPECT_EQ(view.mark, 1);
    EXPECT_TRUE(logic.saveEnabled());
    EXPECT_TRUE(view.IsEnabled(ConsoleControl::ReportMemo));
    EXPECT_TRUE(view.IsEnabled(ConsoleControl::Save));
    EXPECT_EQ(view.texts[ConsoleControl::OsName], u"Windows 10");

    logic.OnCodeStatus(ConnectedStatus(4242, 78));
    EXPECT_EQ(logic.todayCount(), 7);
    EXPECT_EQ(view.texts[ConsoleControl::TodayCount], u"7");
    EXPECT_EQ(logic.codes()[1].connectionNumber, 78);
}

TEST_F(CodeList, ReadyStartsTheViewerWithoutAskingEveryTime) {
    Create({500, 600});
    logic.OnCodeStatus(Status(500, AccessCodeState::Ready));
    EXPECT_EQ(launcher.launched, std::vector<int32_t>{500});
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(view.list[1].picturePath, Dir() + u"/connecting.png");
    EXPECT_EQ(logic.selectedIndex(), 1);
    EXPECT_EQ(view.mark, 1);
    // Delete and Connect are left as they were (disabled since the new code).
    EXPECT_FALSE(logic.deleteEnabled());
    EXPECT_FALSE(logic.connectEnabled());

    // Another Ready while that viewer runs starts none; once it has ended, one.
    logic.OnCodeStatus(Status(500, AccessCodeState::Ready));
    EXPECT_EQ(launcher.launched, std::vector<int32_t>{500});
    launcher.EndViewers();
    logic.OnCodeStatus(Status(500, AccessCodeState::Ready));
    EXPECT_EQ(launcher.launched, (std::vector<int32_t>{500, 500}));
}

TEST_F(CodeList, FailedViewerStartIsShownAndChangesNothingElse) {
    Create({500});
    launcher.failWith = u"/x/ostiviewer: No such file or directory";
    logic.OnCodeStatus(Status(500, AccessCodeState::Ready));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].id, StringId::ViewerStartFailed);
    EXPECT_EQ(view.messages[0].argument, launcher.failWith);
    EXPECT_TRUE(logic.codes()[0].Is(AccessCodeState::Ready));

    logic.OnListClick(0);
    view.answers = {true};
    logic.OnConnect();
    EXPECT_EQ(view.messages.size(), 2u);
    EXPECT_TRUE(logic.codes()[0].Is(AccessCodeState::Ready));
    EXPECT_TRUE(logic.connectEnabled());
}

TEST_F(CodeList, ConnectAsksFirstAndOnlyForReadyOrConnected) {
    Create({1, 2, 3, 4});  // list: 4 3 2 1
    logic.OnCodeStatus(Status(4, AccessCodeState::Ready));
    logic.OnCodeStatus(ConnectedStatus(3));
    logic.OnCodeStatus(Status(2, AccessCodeState::Ended));
    launcher.launched.clear();

    for (int32_t position : {2, 3}) {  // Ended, Waiting
        logic.OnListClick(position);
        logic.OnConnect();
    }
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(launcher.launched.empty());

    logic.OnListClick(0);
    view.answers = {false, true};
    logic.OnConnect();
    EXPECT_TRUE(launcher.launched.empty());
    logic.OnConnect();
    EXPECT_EQ(launcher.launched, std::vector<int32_t>{4});
    logic.OnListClick(1);
    view.answers = {true};
    logic.OnConnect();
    EXPECT_EQ(launcher.launched, (std::vector<int32_t>{4, 3}));
    ASSERT_EQ(view.questions.size(), 3u);
    for (const PromptMessage& q : view.questions) EXPECT_EQ(q.id, StringId::ConfirmReconnect);
}

TEST_F(CodeList, DeleteAsksOnlyForReadyOrConnected) {
    Create({1, 2, 3, 4});  // list: 4 3 2 1
    logic.OnCodeStatus(Status(4, AccessCodeState::Ready));
    logic.OnCodeStatus(ConnectedStatus(3));
    logic.OnCodeStatus(Status(2, AccessCodeState::Ended));

    logic.OnListClick(3);  // Waiting
    logic.OnDeleteCode();
    logic.OnListClick(2);  // Ended
    logic.OnDeleteCode();
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(commands.deleted, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"0-4", u"0-3"}));

    logic.OnListClick(1);  // Connected
    view.answers = {false};
    logic.OnDeleteCode();
    EXPECT_EQ(logic.codes().size(), 2u);
    EXPECT_EQ(logic.selectedIndex(), 1);
    logic.OnListClick(0);  // Ready
    view.answers = {true};
    logic.OnDeleteCode();
    ASSERT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(view.questions[0].id, StringId::ConfirmDeleteConnected);
    EXPECT_EQ(commands.deleted, (std::vector<int32_t>{1, 2, 4}));
    EXPECT_EQ(Texts(), std::vector<std::u16string>{u"0-3"});
    EXPECT_EQ(logic.selectedIndex(), -1);
    EXPECT_FALSE(logic.deleteEnabled());
    EXPECT_FALSE(logic.connectEnabled());

    logic.OnDeleteCode();  // nothing selected
    EXPECT_EQ(commands.deleted.size(), 3u);
}

TEST_F(CodeList, DeletingTheOnlyCodeEmptiesTheList) {
    Create({9});
    logic.OnCodeStatus(ConnectedStatus(9));
    logic.OnListClick(0);
    view.answers = {true};
    logic.OnDeleteCode();
    EXPECT_TRUE(logic.codes().empty());
    EXPECT_TRUE(view.list.empty());
    const int shows = view.listShows;
    logic.RebuildCodeList();
    logic.OnTimer(ConsoleLogic::kCodeListTimerId);
    EXPECT_EQ(view.listShows, shows);
}

TEST_F(CodeList, AnswerArrivingWhileDeleteAsksDeletesTheCodeAskedAbout) {
    // A view whose question box runs other events meanwhile: a new code
    // shifts the list and another code's status takes the selection.
    class ReentrantView : public FakeView {
      public:
        ConsoleLogic* logic = nullptr;
        bool AskYesNo(const PromptMessage& question) override {
            logic->OnCodeCreated(3);
            logic->OnCodeStatus(Status(2, AccessCodeState::Ended));
            return FakeView::AskYesNo(question);
        }
    };
    ReentrantView reentrant;
    ConsoleLogic other(reentrant, commands, launcher, Dir());
    reentrant.logic = &other;
    other.OnCodeCreated(1);
    other.OnCodeCreated(2);
    other.OnCodeStatus(Status(1, AccessCodeState::Ready));
    other.OnListClick(1);
    other.OnDeleteCode();
    EXPECT_EQ(commands.deleted, std::vector<int32_t>{1});
    ASSERT_EQ(other.codes().size(), 2u);
    EXPECT_EQ(other.codes()[0].code, 3);
    EXPECT_EQ(other.codes()[1].code, 2);
}

TEST_F(CodeList, ItemChangedBeforeClickStoresIntoThePreviousCode) {
    Create({1, 2});  // list: 2 1
    logic.OnCodeStatus(ConnectedStatus(1));
    logic.OnCodeStatus(ConnectedStatus(2));
    logic.OnListClick(1);  // code 1
    view.Type(ConsoleControl::ReportMemo, u"printer jams");
    view.Type(ConsoleControl::ReportCompany, u"Acme");

    logic.OnListItemChanged();
    logic.OnListClick(0);  // code 2
    EXPECT_EQ(logic.codes()[1].memo, u"printer jams");
    EXPECT_EQ(logic.codes()[1].company, u"Acme");
    EXPECT_EQ(view.texts[ConsoleControl::ReportMemo], u"");

    logic.OnListItemChanged();
    logic.OnListClick(1);
    EXPECT_EQ(view.texts[ConsoleControl::ReportMemo], u"printer jams");
    EXPECT_TRUE(logic.codes()[0].memo.empty());

    // Arrow keys: only the item-changed notification; selection and panel stay.
    view.Type(ConsoleControl::ReportMemo, u"toner");
    logic.OnListItemChanged();
    EXPECT_EQ(logic.selectedIndex(), 1);
    EXPECT_EQ(logic.codes()[1].memo, u"toner");
}

TEST_F(CodeList, SaveSendsTheTypedTextsAndNothingWithoutASelection) {
    Create({1});
    logic.OnCodeStatus(ConnectedStatus(1, 31));
    view.Type(ConsoleControl::ReportName, u"J. Doe");
    view.Type(ConsoleControl::ReportEmail, u"jd@example.com");
    view.Type(ConsoleControl::ReportPhone, u"555-0100");
    logic.OnSaveReport();
    ASSERT_EQ(commands.saved.size(), 1u);
    EXPECT_EQ(commands.saved[0].code, 1);
    EXPECT_EQ(commands.saved[0].connectionNumber, 31);
    EXPECT_EQ(commands.saved[0].customerName, u"J. Doe");
    EXPECT_EQ(commands.saved[0].email, u"jd@example.com");
    EXPECT_EQ(commands.saved[0].phone, u"555-0100");

    view.answers = {true};
    logic.OnDeleteCode();
    ASSERT_EQ(logic.selectedIndex(), -1);
    EXPECT_TRUE(logic.saveEnabled());  // Save keeps its state, but has no entry
    logic.OnSaveReport();
    EXPECT_EQ(commands.saved.size(), 1u);
}

TEST_F(CodeList, SelectionFollowsItsEntryWhenANewCodeArrives) {
    Create({1, 2});  // list: 2 1
    logic.OnCodeStatus(ConnectedStatus(2));
    logic.OnListClick(0);
    view.Type(ConsoleControl::ReportMemo, u"for code 2");

    logic.OnCodeCreated(3);
    EXPECT_EQ(logic.selectedIndex(), 1);
    EXPECT_EQ(view.mark, 1);
    EXPECT_FALSE(logic.deleteEnabled());
    EXPECT_FALSE(logic.connectEnabled());
    EXPECT_TRUE(logic.saveEnabled());
    logic.OnSaveReport();
    ASSERT_EQ(commands.saved.size(), 1u);
    EXPECT_EQ(commands.saved[0].code, 2);
    EXPECT_EQ(commands.saved[0].memo, u"for code 2");
    EXPECT_TRUE(logic.codes()[0].memo.empty());

    logic.OnListClick(-1);
    logic.OnCodeCreated(4);
    EXPECT_EQ(logic.selectedIndex(), -1);
    EXPECT_EQ(view.mark, -1);
}

TEST_F(CodeList, ClickOnEmptySpaceDisablesDeleteOnly) {
    Create({1});
    logic.OnCodeStatus(Status(1, AccessCodeState::Ready));
    logic.OnListClick(0);
    EXPECT_TRUE(logic.deleteEnabled());
    EXPECT_TRUE(logic.connectEnabled());
    EXPECT_TRUE(logic.saveEnabled());
    logic.OnListClick(-1);
    EXPECT_EQ(logic.selectedIndex(), -1);
    EXPECT_FALSE(logic.deleteEnabled());
    EXPECT_FALSE(view.IsEnabled(ConsoleControl::Delete));
    EXPECT_TRUE(logic.connectEnabled());
    EXPECT_TRUE(view.IsEnabled(ConsoleControl::Connect));
    EXPECT_TRUE(logic.saveEnabled());
    EXPECT_TRUE(view.IsEnabled(ConsoleControl::ReportMemo));
    // A position past the list counts as empty space.
    logic.OnListClick(0);
    logic.OnListClick(5);
    EXPECT_EQ(logic.selectedIndex(), -1);
}

TEST_F(CodeList, ConnectedPictureWaitsForItsFileAndTheTimerPicksItUp) {
    Create({1, 2});  // list: 2 1
    logic.OnCodeStatus(ConnectedStatus(2));
    logic.OnTimer(ConsoleLogic::kCodeListTimerId);
    EXPECT_EQ(view.list[0].picturePath, Dir() + u"/connecting.png");
    EXPECT_EQ(logic.codes()[0].imagePath, Dir() + u"/imgs/2.png");

    std::filesystem::create_directories(dir.path() / "imgs");
    std::ofstream(dir.path() / "imgs" / "2.png") << "png";
    logic.OnTimer(ConsoleLogic::kCodeListTimerId + 1);  // another timer: no rebuild
    EXPECT_EQ(view.list[0].picturePath, Dir() + u"/connecting.png");
    logic.OnTimer(ConsoleLogic::kCodeListTimerId);
    EXPECT_EQ(view.list[0].picturePath, Dir() + u"/imgs/2.png");
    EXPECT_EQ(view.mark, 0);  // the rebuild keeps the selection shown

    logic.OnCodeStatus(Status(2, AccessCodeState::Ended));
    EXPECT_EQ(view.list[0].picturePath, Dir() + u"/disconnected.png");
    const int shows = view.listShows;
    logic.OnTimer(ConsoleLogic::kCodeListTimerId);
    EXPECT_EQ(view.listShows, shows);  // nothing connected: no rebuild
}

TEST_F(CodeList, OtherStatesAreStoredAndChangeNothingElse) {
    Create({8});
    logic.OnCodeStatus(Status(8, AccessCodeState::Ready));
    const auto path = logic.codes()[0].imagePath;
    wire::CodeStatus odd = Status(8, AccessCodeState::Waiting);
    odd.state = 9;
    logic.OnCodeStatus(odd);
    EXPECT_EQ(logic.codes()[0].state, 9);
    EXPECT_EQ(logic.codes()[0].imagePath, path);
    EXPECT_EQ(launcher.launched.size(), 1u);
    // An unknown state is neither Ready nor Connected: Connect does nothing.
    logic.OnListClick(0);
    logic.OnConnect();
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(CodeList, StatusMovingTheSelectionKeepsWhatWasTyped) {
    Create({1, 2});  // list: 2 1
    logic.OnCodeStatus(ConnectedStatus(1));
    view.Type(ConsoleControl::ReportMemo, u"typed for 1");
    logic.OnCodeStatus(Status(2, AccessCodeState::Ready));
    EXPECT_EQ(logic.codes()[1].memo, u"typed for 1");
    EXPECT_EQ(logic.selectedIndex(), 0);
    EXPECT_EQ(view.texts[ConsoleControl::ReportMemo], u"");  // the panel shows code 2
    view.Type(ConsoleControl::ReportMemo, u"typed for 2");
    logic.OnSaveReport();
    ASSERT_EQ(commands.saved.size(), 1u);
    EXPECT_EQ(commands.saved[0].code, 2);
    EXPECT_EQ(logic.codes()[1].memo, u"typed for 1");
}

TEST_F(CodeList, OpeningShowsTheAccountPreparesAndRequestsTheFirstCode) {
    ConsoleAccount account;
    account.companyName = u"Helpdesk Ltd";
    account.helperId = u"tech01";
    account.helperName = u"Kim";
    account.expiryDate = u"2030-12-31";
    account.customerUrl = u"http://example.com/c";
    account.todayConnections = 3;
    logic.Open(account);
    EXPECT_EQ(view.texts[ConsoleControl::AccountCompany], u"Helpdesk Ltd");
    EXPECT_EQ(view.texts[ConsoleControl::AccountHelper], u"tech01(Kim)");
    EXPECT_EQ(view.texts[ConsoleControl::AccountExpiry], u"2030-12-31");
    EXPECT_EQ(view.texts[ConsoleControl::AccountCustomerUrl], u"http://example.com/c");
    EXPECT_EQ(view.texts[ConsoleControl::TodayCount], u"3");
    EXPECT_EQ(commands.newCodeRequests, 1);
    EXPECT_TRUE(logic.createEnabled());
    EXPECT_FALSE(logic.deleteEnabled() || logic.connectEnabled() || logic.saveEnabled());
    EXPECT_FALSE(view.IsEnabled(ConsoleControl::Save));
    for (const char* sub : {"imgs", "capture", "record", "chat"}) {
        EXPECT_TRUE(std::filesystem::is_directory(dir.path() / sub)) << sub;
    }
}
