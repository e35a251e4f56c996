// The main window as the technician sees it: the code list's items and
// pictures, the buttons and menus that follow the selection, the report
// panel's limits, closing, and both languages.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>
#include <thread>

#include "HelperDlgFakes.h"
#include "console/CHelperDlg.h"
#include "console/CodeListWidget.h"
#include "console/WindowConsoleEvents.h"
#include "controls/CPictureButton.h"
#include "controls/CSideBannerWnd.h"
#include "controls/DialogUnits.h"
#include "controls/Translations.h"
#include "dialogs/Profile.h"

using namespace ostiva;
using namespace ostiva::test;

namespace {

QApplication& App() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

wire::CodeStatus Status(int32_t code, AccessCodeState state) {
    wire::CodeStatus status;
    status.code = code;
    status.state = static_cast<uint16_t>(state);
    if (state == AccessCodeState::Connected) {
        status.connectionNumber = 77;
        status.firstAddress = u"10.0.0.5";
        status.secondAddress = u"203.0.113.9";
        status.timeText = u"2024-05-06 07:08:09";
        status.osCode = 14;
    }
    return status;
}

ConsoleAccount Account() {
    ConsoleAccount account;
    account.companyName = u"Example Co";
    account.helperId = u"alice";
    account.helperName = u"Alice";
    account.expiryDate = u"2099-12-31";
    account.customerUrl = u"http://example.test/c";
    account.linkUrl1 = u"http://links.test/one";
    account.linkUrl2 = u"http://links.test/two";
    account.todayConnections = 4;
    return account;
}

// One main window with everything it is given recorded.
struct Fixture {
    ProgramDir program;
    QTemporaryDir work;
    FakeCommands commands;
    FakeLauncher launcher;
    ScriptedPrompt prompt;
    FakeServices services;
    std::unique_ptr<CHelperDlg> window;

    explicit Fixture(const ConsoleAccount& account = Account(), bool show = true) {
        CHelperDlg::Environment environment{commands, launcher,
                                            Settings(Profile(InfoPath().toStdString())),
                                            program.Dir()};
        environment.prompt = &prompt;
        environment.services = &services;
        window = std::make_unique<CHelperDlg>(std::move(environment));
        window->Open(account);
        if (show) {
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get())) qWarning("window not exposed");
        }
    }
    QString InfoPath() const { return work.path() + QStringLiteral("/info.dat"); }
    CodeListWidget* List() const { return window->CodeList(); }
    QWidget* Control(int id) const { return window->Control(id); }
    bool Enabled(int command) const { return window->MenuCommand(command)->isEnabled(); }

    // Codes newest first: the last one given ends up at position 0.
    void AddCodes(std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) window->OnCodeCreated(code);
    }
    void ClickItem(int row) const {
        const QRect rect = List()->visualRect(List()->model()->index(row, 0));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void ClickEmptySpace() const {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          List()->viewport()->rect().bottomRight() - QPoint(3, 3));
    }
    // What a popup shows once it is about to open.
    QStringList PopupItems(int position) const {
        QMenu* menu = window->MenuBar()->actions().at(position)->menu();
        Q_EMIT menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) texts << action->text();
        }
        return texts;
    }
};

}  // namespace

class HelperDlgTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void openingShowsAccountAndRequestsFirstCode();
    void captionFromServerVersion();
    void itemsSitAtTheirPositions();
    void picturesAreScaledAndCached();
    void unreadablePictureKeepsTheSlot();
    void menuGreyingFollowsClickedCode();
    void linkItemsRemovedWhenEmpty();
    void enterAndEscapeDoNotClose();
    void closingAsksFirst();
    void reportEditsLimitedToTheirSlots();
    void typedTextsFollowTheirCode();
    void doubleClickConnectsAfterAsking();
    void copyUrlAndPageOpening();
    void historyWindowCreatedHiddenAndShown();
    void eventsFromAnotherThreadAreQueued();
    void sessionEndShowsMessageAndEnds();
    void textsInBothLanguages();
};

void HelperDlgTest::initTestCase() {
    Translations::Install(App(), QLocale(QStringLiteral("en_US")));
}

void HelperDlgTest::cleanup() {
    Translations::Install(App(), QLocale(QStringLiteral("en_US")));
}

void HelperDlgTest::openingShowsAccountAndRequestsFirstCode() {
    Fixture f;
    QCOMPARE(f.commands.newCodeRequests, 1);
    auto text = [&](int id) { return qobject_cast<QLabel*>(f.Control(id))->text(); };
    QCOMPARE(text(CHelperDlg::IdHelperValue), QStringLiteral("alice(Alice)"));
    QCOMPARE(text(CHelperDlg::IdTodayValue), QStringLiteral("4"));
    for (int id : {CHelperDlg::IdDelete, CHelperDlg::IdConnect, CHelperDlg::IdSave,
                   CHelperDlg::IdReportCompany, CHelperDlg::IdReportName,
                   CHelperDlg::IdReportEmail, CHelperDlg::IdReportPhone,
                   CHelperDlg::IdReportMemo}) {
        QVERIFY2(!f.Control(id)->isEnabled(), qPrintable(QString::number(id)));
    }
    QVERIFY(f.Control(CHelperDlg::IdCreate)->isEnabled());

    // A server text is shown as text, never as markup.
    ConsoleAccount hostile = Account();
    hostile.companyName = u"<b>bold</b>";
    Fixture g(hostile, false);
    auto* label = qobject_cast<QLabel*>(g.Control(CHelperDlg::IdCompanyValue));
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), QStringLiteral("<b>bold</b>"));
}

void HelperDlgTest::captionFromServerVersion() {
    Fixture f(Account(), false);
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Ostiva Manager (Ver:unknown)"));
    // The title's slot holds nine characters.
    Profile(f.InfoPath().toStdString()).WriteString(u"server", u"version", u"123456789ABC");
    f.window->Open(Account());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Ostiva Manager (Ver:123456789)"));
}

void HelperDlgTest::itemsSitAtTheirPositions() {
    Fixture f;
    f.AddCodes({1001, 1002, 1003, 1004, 123045, 7});
    QCOMPARE(f.List()->count(), 6);
    QCOMPARE(f.List()->item(0)->text(), QStringLiteral("0-7"));
    QCOMPARE(f.List()->item(1)->text(), QStringLiteral("123-45"));
    QCOMPARE(f.List()->item(5)->text(), QStringLiteral("1-1"));
    for (int row = 0; row < 6; ++row) {
        int x = 0, y = 0;
        ConsoleLogic::ItemPosition(size_t(row), &x, &y);
        QCOMPARE(f.List()->ItemPosition(row), QPoint(x, y));
    }
    // The fourth code moves to the second row when a new one arrives.
    const QString fourth = f.List()->item(3)->text();
    QCOMPARE(f.List()->ItemPosition(3), QPoint(408, 10));
    f.AddCodes({55});
    QCOMPARE(f.List()->item(4)->text(), fourth);
    QCOMPARE(f.List()->ItemPosition(4), QPoint(12, 140));
    // Twelve codes: the last row runs on to the right.
    f.AddCodes({60, 61, 62, 63, 64});
    QCOMPARE(f.List()->count(), 12);
    QCOMPARE(f.List()->ItemPosition(11), QPoint(408, 270));
}

void HelperDlgTest::picturesAreScaledAndCached() {
    Fixture f;
    f.AddCodes({1001, 1002, 1003});
    const CodePictureCache& cache = f.window->PictureCache();
    // One decode per distinct file, however many codes show it.
    QCOMPARE(cache.Decodes(), 1);
    const QPixmap shown = f.List()->item(0)->icon().pixmap(QSize(120, 80));
    QCOMPARE(shown.size(), QSize(120, 80));
    QCOMPARE(shown.toImage().pixelColor(60, 40), QColor(Qt::green));

    // Rebuilds with no picture changed decode nothing.
    const int before = cache.Decodes();
    for (int i = 0; i < 5; ++i) f.window->Logic().RebuildCodeList();
    QCOMPARE(cache.Decodes(), before);

    // A state change brings one new file; a rewritten file is read again.
    f.window->OnCodeStatus(Status(1002, AccessCodeState::Ready));
    QCOMPARE(cache.Decodes(), before + 1);
    QCOMPARE(f.List()->item(1)->icon().pixmap(QSize(120, 80)).toImage().pixelColor(5, 5),
             QColor(Qt::yellow));
    QTest::qWait(20);  // a modification time the file system can tell apart
    f.program.WritePicture(QStringLiteral("ready.png"), Qt::blue, {90, 90});
    f.window->Logic().RebuildCodeList();
    QCOMPARE(cache.Decodes(), before + 2);
    QCOMPARE(f.List()->item(0)->icon().pixmap(QSize(120, 80)).toImage().pixelColor(60, 40),
             QColor(Qt::blue));
}

void HelperDlgTest::unreadablePictureKeepsTheSlot() {
    Fixture f;
    f.AddCodes({1001});
    QFile broken(f.program.Path(QStringLiteral("connecting.png")));
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a picture");
    broken.close();
    f.window->OnCodeStatus(Status(1001, AccessCodeState::Ready));
    // The item is listed with its text and the picture its slot had.
    QCOMPARE(f.List()->count(), 1);
    QCOMPARE(f.List()->item(0)->text(), QStringLiteral("1-1"));
    QCOMPARE(f.List()->item(0)->icon().pixmap(QSize(120, 80)).toImage().pixelColor(60, 40),
             QColor(Qt::green));
    // A failed file is not decoded again while it stays as it is.
    const int decodes = f.window->PictureCache().Decodes();
    f.window->Logic().RebuildCodeList();
    QCOMPARE(f.window->PictureCache().Decodes(), decodes);
}

void HelperDlgTest::menuGreyingFollowsClickedCode() {
    Fixture f;
    f.AddCodes({1, 2, 3, 4});  // positions: 4, 3, 2, 1
    f.window->OnCodeStatus(Status(3, AccessCodeState::Ready));
    f.window->OnCodeStatus(Status(2, AccessCodeState::Connected));
    f.window->OnCodeStatus(Status(1, AccessCodeState::Ended));
    // A fresh code clears the buttons the statuses left.
    f.AddCodes({5});  // positions: 5, 4, 3, 2, 1
    f.PopupItems(1);
    QVERIFY(!f.Enabled(CHelperDlg::CmdDeleteCode));
    QVERIFY(!f.Enabled(CHelperDlg::CmdConnect));

    struct Case {
        int row;
        bool del, connect, save;
    };
    const Case cases[] = {
        {2, true, true, true},    // Ready
        {3, true, true, true},    // Connected
        {4, true, false, true},   // Ended
        {1, true, false, false},  // Waiting
    };
    for (const Case& c : cases) {
        f.ClickItem(c.row);
        QCOMPARE(f.window->Logic().selectedIndex(), c.row);
        f.PopupItems(1);
        f.PopupItems(2);
        QCOMPARE(f.Enabled(CHelperDlg::CmdDeleteCode), c.del);
        QCOMPARE(f.Enabled(CHelperDlg::CmdConnect), c.connect);
        QCOMPARE(f.Enabled(CHelperDlg::CmdSave), c.save);
        QCOMPARE(f.Control(CHelperDlg::IdDelete)->isEnabled(), c.del);
        QCOMPARE(f.Control(CHelperDlg::IdConnect)->isEnabled(), c.connect);
        QCOMPARE(f.Control(CHelperDlg::IdSave)->isEnabled(), c.save);
        // Never greyed.
        for (int command : {CHelperDlg::CmdCreateCode, CHelperDlg::CmdConnectionHistory,
                            CHelperDlg::CmdSetting, CHelperDlg::CmdVisitHomepage,
                            CHelperDlg::CmdExit}) {
            QVERIFY(f.Enabled(command));
        }
    }
    // Create Code stays usable while the Create button waits for its code.
    QTest::mouseClick(qobject_cast<QAbstractButton*>(f.Control(CHelperDlg::IdCreate)),
                      Qt::LeftButton);
    QVERIFY(!f.Control(CHelperDlg::IdCreate)->isEnabled());
    f.PopupItems(1);
    QVERIFY(f.Enabled(CHelperDlg::CmdCreateCode));

    // Empty space: only Delete goes grey.
    f.ClickItem(2);
    f.ClickEmptySpace();
    QCOMPARE(f.window->Logic().selectedIndex(), -1);
    f.PopupItems(1);
    QVERIFY(!f.Enabled(CHelperDlg::CmdDeleteCode));
    QVERIFY(f.Enabled(CHelperDlg::CmdConnect));

    // Delete through the menu on the Connected code asks 126; No keeps it.
    f.ClickItem(3);
    f.PopupItems(1);
    f.prompt.answers = {false};
    f.window->MenuCommand(CHelperDlg::CmdDeleteCode)->trigger();
    QCOMPARE(f.prompt.questions.size(), size_t(1));
    QCOMPARE(f.prompt.questions.back().id, StringId::ConfirmDeleteConnected);
    QVERIFY(f.commands.deleted.empty());
    f.prompt.answers = {true};
    f.window->MenuCommand(CHelperDlg::CmdDeleteCode)->trigger();
    QCOMPARE(f.commands.deleted, std::vector<int32_t>{2});
    QCOMPARE(f.List()->count(), 4);
}

void HelperDlgTest::linkItemsRemovedWhenEmpty() {
    {
        Fixture f;
        QCOMPARE(f.PopupItems(3), (QStringList{QStringLiteral("Dravik"), QStringLiteral("Solvene")}));
        f.window->MenuCommand(CHelperDlg::CmdLinkSecond)->trigger();
        QCOMPARE(f.services.opened.back(), QUrl(QStringLiteral("http://links.test/two")));
        f.window->MenuCommand(CHelperDlg::CmdLinkFirst)->trigger();
        QCOMPARE(f.services.opened.back(), QUrl(QStringLiteral("http://links.test/one")));
    }
    {
        ConsoleAccount account = Account();
        account.linkUrl1.clear();
        account.linkUrl2 = u"file:///etc/passwd";
        Fixture f(account);
        QCOMPARE(f.PopupItems(3), QStringList{QStringLiteral("Solvene")});
        // The server's addresses open only as web pages.
        f.window->MenuCommand(CHelperDlg::CmdLinkSecond)->trigger();
        QVERIFY(f.services.opened.empty());
        QVERIFY(f.window->MenuCommand(CHelperDlg::CmdLinkFirst) == nullptr);
        // Opening it again changes nothing.
        QCOMPARE(f.PopupItems(3), QStringList{QStringLiteral("Solvene")});
    }
    {
        ConsoleAccount account = Account();
        account.linkUrl1.clear();
        account.linkUrl2.clear();
        Fixture f(account);
        // Whichever popup opens first removes them.
        f.PopupItems(0);
        QVERIFY(f.PopupItems(3).isEmpty());
    }
}

void HelperDlgTest::enterAndEscapeDoNotClose() {
    Fixture f;
    f.AddCodes({1});
    f.window->OnCodeStatus(Status(1, AccessCodeState::Ready));
    f.List()->setFocus();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(f.window.get(), key);
        QTest::keyClick(f.List(), key);
    }
    // Enter on a button does not press it either.
    f.Control(CHelperDlg::IdConnect)->setFocus();
    QTest::keyClick(f.Control(CHelperDlg::IdConnect), Qt::Key_Return);
    QVERIFY(f.window->isVisible());
    QVERIFY(f.prompt.questions.empty());
    QCOMPARE(f.launcher.launched, std::vector<int32_t>{1});  // the Ready status only
    // Enter in the memo makes a new line.
    auto* memo = qobject_cast<QPlainTextEdit*>(f.Control(CHelperDlg::IdReportMemo));
    memo->setEnabled(true);
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("a"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("b"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(f.window->isVisible());
}

void HelperDlgTest::closingAsksFirst() {
    {
        // The Exit button asks too, and ends without dropping the codes.
        Fixture f;
        f.AddCodes({1, 2});
        f.prompt.answers = {true};
        QTest::mouseClick(qobject_cast<QAbstractButton*>(f.Control(CHelperDlg::IdExit)),
                          Qt::LeftButton);
        QCOMPARE(f.prompt.questions.at(0).id, StringId::ConfirmExit);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.window->result(), CHelperDlg::kResultClosed);
        QCOMPARE(f.window->Logic().codes().size(), size_t(2));
    }
    Fixture f;
    f.AddCodes({1, 2});
    f.prompt.answers = {false};
    QVERIFY(!f.window->close());
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.prompt.questions.size(), size_t(1));
    QCOMPARE(f.prompt.questions[0].id, StringId::ConfirmExit);
    QCOMPARE(f.window->Logic().codes().size(), size_t(2));

    // File > Exit goes the same way.
    f.prompt.answers = {true};
    f.window->MenuCommand(CHelperDlg::CmdExit)->trigger();
    QCOMPARE(f.prompt.questions.size(), size_t(2));
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.window->result(), CHelperDlg::kResultClosed);
    QVERIFY(f.window->Logic().codes().empty());
}

void HelperDlgTest::reportEditsLimitedToTheirSlots() {
    Fixture f;
    f.AddCodes({1});
    f.window->OnCodeStatus(Status(1, AccessCodeState::Connected));
    const struct {
        int id;
        int length;
    } edits[] = {{CHelperDlg::IdReportCompany, 30},
                 {CHelperDlg::IdReportName, 31},
                 {CHelperDlg::IdReportEmail, 30},
                 {CHelperDlg::IdReportPhone, 30}};
    for (const auto& e : edits) {
        auto* edit = qobject_cast<QLineEdit*>(f.Control(e.id));
        QVERIFY(edit->isEnabled());
        QCOMPARE(edit->maxLength(), e.length);
        QTest::keyClicks(edit, QString(40, QLatin1Char('x')));
        QCOMPARE(edit->text().size(), e.length);
    }
    auto* memo = qobject_cast<QPlainTextEdit*>(f.Control(CHelperDlg::IdReportMemo));
    memo->setPlainText(QString(1100, QLatin1Char('m')));
    QCOMPARE(memo->toPlainText().size(), 1024);
    // A character outside the basic plane is never cut in half.
    memo->setPlainText(QString(1023, QLatin1Char('m')) + QString::fromUtf8("\xF0\x9F\x98\x80") +
                       QStringLiteral("zz"));
    QCOMPARE(memo->toPlainText(), QString(1023, QLatin1Char('m')));
    // What Save sends is what the edits hold.
    QTest::mouseClick(qobject_cast<QAbstractButton*>(f.Control(CHelperDlg::IdSave)),
                      Qt::LeftButton);
    QCOMPARE(f.commands.saved.size(), size_t(1));
    QCOMPARE(f.commands.saved[0].company.size(), size_t(30));
    QCOMPARE(f.commands.saved[0].customerName.size(), size_t(31));
    QCOMPARE(f.commands.saved[0].memo.size(), size_t(1023));
    QCOMPARE(f.commands.saved[0].connectionNumber, 77);
}

void HelperDlgTest::typedTextsFollowTheirCode() {
    Fixture f;
    f.AddCodes({1, 2});  // positions: 2, 1
    f.window->OnCodeStatus(Status(1, AccessCodeState::Connected));
    f.window->OnCodeStatus(Status(2, AccessCodeState::Connected));
    auto* memo = qobject_cast<QPlainTextEdit*>(f.Control(CHelperDlg::IdReportMemo));
    auto* company = qobject_cast<QLineEdit*>(f.Control(CHelperDlg::IdReportCompany));
    f.ClickItem(1);
    memo->setPlainText(QStringLiteral("memo of one"));
    company->setText(QStringLiteral("One Ltd"));
    f.ClickItem(0);
    QVERIFY(memo->toPlainText().isEmpty());
    f.ClickItem(1);
    QCOMPARE(memo->toPlainText(), QStringLiteral("memo of one"));
    QCOMPARE(company->text(), QStringLiteral("One Ltd"));
    // Arrow keys store the texts but change neither the selection nor the panel.
    memo->setPlainText(QStringLiteral("changed"));
    f.List()->setFocus();
    QTest::keyClick(f.List(), Qt::Key_Left);
    QCOMPARE(f.window->Logic().selectedIndex(), 1);
    QCOMPARE(f.window->Logic().codes()[1].memo, u"changed");
}

void HelperDlgTest::doubleClickConnectsAfterAsking() {
    Fixture f;
    f.AddCodes({9, 8});  // positions: 8, 9
    f.window->OnCodeStatus(Status(9, AccessCodeState::Ready));
    QCOMPARE(f.launcher.launched, std::vector<int32_t>{9});
    const QRect rect = f.List()->visualRect(f.List()->model()->index(1, 0));
    f.prompt.answers = {false, true};
    QTest::mouseDClick(f.List()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(f.prompt.questions.size(), size_t(1));
    QCOMPARE(f.prompt.questions.back().id, StringId::ConfirmReconnect);
    QCOMPARE(f.launcher.launched.size(), size_t(1));
    QTest::mouseDClick(f.List()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(f.launcher.launched, (std::vector<int32_t>{9, 9}));
}

void HelperDlgTest::copyUrlAndPageOpening() {
    Fixture f;
    QTest::mouseClick(qobject_cast<QAbstractButton*>(f.Control(CHelperDlg::IdCopyUrl)),
                      Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://example.test/c"));

    f.window->MenuCommand(CHelperDlg::CmdVisitHomepage)->trigger();
    QCOMPARE(f.services.opened.back().path(), QStringLiteral("/info"));
    QCOMPARE(f.services.opened.back().scheme(), QStringLiteral("http"));
    QVERIFY(f.prompt.messages.empty());
    // A failure is reported and the window stays.
    f.services.openSucceeds = false;
    f.window->MenuCommand(CHelperDlg::CmdVisitHomepage)->trigger();
    QCOMPARE(f.prompt.messages.size(), size_t(1));
    QCOMPARE(f.prompt.messages[0].id, StringId::PageOpenFailed);
    QCOMPARE(f.prompt.messages[0].argument, u"no browser");
    QVERIFY(f.window->isVisible());

}

void HelperDlgTest::historyWindowCreatedHiddenAndShown() {
    Fixture f;
    QVERIFY(f.window->HistoryWindow() != nullptr);
    QCOMPARE(f.services.historyHelperId, QStringLiteral("alice"));
    QVERIFY(!f.window->HistoryWindow()->isVisible());
    f.window->MenuCommand(CHelperDlg::CmdConnectionHistory)->trigger();
    QVERIFY(f.window->HistoryWindow()->isVisible());
    f.window->HistoryWindow()->hide();
    f.window->MenuCommand(CHelperDlg::CmdConnectionHistory)->trigger();
    QCOMPARE(f.services.historyShows, 2);
    QVERIFY(f.window->HistoryWindow()->isVisible());
    // The main window stays usable meanwhile.
    QVERIFY(!f.window->HistoryWindow()->isModal());
    QPointer<QWidget> history = f.window->HistoryWindow();
    f.window.reset();
    QVERIFY(history.isNull());
}

void HelperDlgTest::eventsFromAnotherThreadAreQueued() {
    Fixture f;
    WindowConsoleEvents events;
    // Calls before the window is attached are held, then delivered in order.
    std::thread early([&] {
        events.OnCodeCreated(11);
        events.OnCodeCreated(12);
    });
    early.join();
    QCoreApplication::processEvents();
    QCOMPARE(f.List()->count(), 0);
    events.Attach(f.window.get());
    QTRY_COMPARE_WITH_TIMEOUT(f.List()->count(), 2, 5000);
    QCOMPARE(f.List()->item(0)->text(), QStringLiteral("0-12"));

    std::thread late([&] {
        for (int32_t code = 20; code < 25; ++code) events.OnCodeCreated(code);
        events.OnCodeStatus(Status(22, AccessCodeState::Ready));
    });
    late.join();
    QTRY_COMPARE_WITH_TIMEOUT(f.List()->count(), 7, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(f.launcher.launched, std::vector<int32_t>{22}, 5000);

    // Detached: nothing more arrives.
    events.Detach();
    std::thread after([&] { events.OnCodeCreated(99); });
    after.join();
    QTest::qWait(50);
    QCOMPARE(f.List()->count(), 7);
}

void HelperDlgTest::sessionEndShowsMessageAndEnds() {
    for (bool elsewhere : {true, false}) {
        Fixture f;
        WindowConsoleEvents events;
        events.Attach(f.window.get());
        std::thread receive([&] {
            if (elsewhere) {
                events.OnSignedInElsewhere();
            } else {
                events.OnConnectionLost();
            }
        });
        receive.join();
        QTRY_VERIFY_WITH_TIMEOUT(f.window->SessionEnded(), 5000);
        QCOMPARE(f.prompt.messages.size(), size_t(1));
        QCOMPARE(f.prompt.messages[0].id,
                 elsewhere ? StringId::SignedInElsewhere : StringId::ConnectionLost);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.window->result(), CHelperDlg::kResultClosed);
        // No question on the way out, and later events change nothing.
        QVERIFY(f.prompt.questions.empty());
        f.window->OnCodeCreated(5);
        QCOMPARE(f.List()->count(), 0);
        events.Detach();
    }
}

void HelperDlgTest::textsInBothLanguages() {
    auto groupTitles = [](const Fixture& f) {
        QStringList titles;
        for (auto* group : f.window->findChildren<QGroupBox*>()) titles << group->title();
        return titles;
    };
    auto buttonText = [](const Fixture& f, int id) {
        return qobject_cast<QAbstractButton*>(f.Control(id))->text();
    };
    auto menuTitles = [](const Fixture& f) {
        QStringList titles;
        for (QAction* action : f.window->MenuBar()->actions()) titles << action->text();
        return titles;
    };
    QSize englishClient;
    {
        Fixture f;
        QCOMPARE(groupTitles(f), (QStringList{QStringLiteral("My Information"),
                                              QStringLiteral("Report"),
                                              QStringLiteral("Access Code")}));
        QCOMPARE(buttonText(f, CHelperDlg::IdCreate), QStringLiteral("Create"));
        QCOMPARE(menuTitles(f).mid(0, 4),
                 (QStringList{QStringLiteral("File"), QStringLiteral("Access Code"),
                              QStringLiteral("Report"), QStringLiteral("Link")}));
        QCOMPARE(f.window->MenuCommand(CHelperDlg::CmdAbout)->text(),
                 QStringLiteral("&About helper..."));
        QCOMPARE(f.window->Banner()->Subtitle(),
                 QStringLiteral("Fast & Easy Remote Assistance Software"));
        // Laid out from the template's dialog units.
        const DialogUnits units(DialogUnits::TemplateFont(DialogTemplate::Main, UiLanguage::English));
        QCOMPARE(f.List()->geometry().size(), units.Rect(230, 34, 321, 245).size());
        QCOMPARE(f.Control(CHelperDlg::IdSave)->geometry().topLeft(),
                 units.Rect(163, 264, 50, 14).topLeft() +
                     QPoint(0, f.window->Banner()->BannerHeight()));
        englishClient = f.window->findChild<QWidget*>(QStringLiteral("ClientArea"))->size();
        QVERIFY(qobject_cast<CPictureButton*>(f.Control(CHelperDlg::IdCreate))->HasPicture());
    }
    QCOMPARE(Translations::Install(App(), QLocale(QStringLiteral("ja_JP"))), UiLanguage::Japanese);
    {
        Fixture f;
        QCOMPARE(f.window->Language(), UiLanguage::Japanese);
        QCOMPARE(groupTitles(f), (QStringList{QStringLiteral("情報"), QStringLiteral("履歴"),
                                              QStringLiteral("認証コード番号")}));
        QCOMPARE(buttonText(f, CHelperDlg::IdCreate), QStringLiteral("生成"));
        QCOMPARE(qobject_cast<QLabel*>(f.Control(CHelperDlg::IdUrlLabel))->text(),
                 QStringLiteral("URL :"));
        QCOMPARE(menuTitles(f).mid(0, 4),
                 (QStringList{QStringLiteral("ファイル"), QStringLiteral("認証コード番号"),
                              QStringLiteral("履歴"), QStringLiteral("リンク")}));
        QCOMPARE(f.PopupItems(3), (QStringList{QStringLiteral("ドラヴィク（Dravik）"),
                                               QStringLiteral("ソルヴェン（Solvene）")}));
        QCOMPARE(f.window->Banner()->Subtitle(),
                 QStringLiteral("早い、簡単\u3000リモートサポート専門ツール"));
        const DialogUnits units(
            DialogUnits::TemplateFont(DialogTemplate::Main, UiLanguage::Japanese));
        QCOMPARE(f.List()->geometry().size(), units.Rect(203, 28, 339, 240).size());
        QVERIFY(f.window->findChild<QWidget*>(QStringLiteral("ClientArea"))->size() !=
                englishClient);
    }
}

QTEST_MAIN(HelperDlgTest)
#include "test_helper_dlg.moc"
