// The main window as the technician sees it: the account, the code list's
// items and pictures, the buttons and menus that follow the selection, and
// closing. The report panel, the pages and both languages are in
// test_helper_dlg_report.cpp.

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <memory>
#include <thread>

#include "HelperDlgFixture.h"
#include "console/ViewerLauncher.h"
#include "settings/Profile.h"
#include "ui/controls/CPictureButton.h"
#include "ui/controls/CSideBannerWnd.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/Translations.h"
#include "ui/windows/CHelperDlg.h"
#include "ui/windows/CodeListWidget.h"
#include "ui/windows/WindowConsoleEvents.h"

using namespace ostiva;
using namespace ostiva::test;

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
    void repeatedReadyStartsOneViewerAndOneFailureBox();
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
                   CHelperDlg::IdReportCompany, CHelperDlg::IdReportName, CHelperDlg::IdReportEmail,
                   CHelperDlg::IdReportPhone, CHelperDlg::IdReportMemo}) {
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
        for (int command :
             {CHelperDlg::CmdCreateCode, CHelperDlg::CmdConnectionHistory, CHelperDlg::CmdSetting,
              CHelperDlg::CmdVisitHomepage, CHelperDlg::CmdExit}) {
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
        QCOMPARE(f.PopupItems(3),
                 (QStringList{QStringLiteral("Dravik"), QStringLiteral("Solvene")}));
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

namespace {

// The ids a stand-in viewer wrote down, one per start.
QStringList StartedViewers(const QString& logPath) {
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Ends a viewer the window started (not our child) and waits until it has.
void EndViewer(pid_t pid) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    kill(pid, SIGKILL);
    if (fd < 0) return;
    pollfd entry{fd, POLLIN, 0};
    poll(&entry, 1, 10000);
    close(fd);
}

}  // namespace

void HelperDlgTest::repeatedReadyStartsOneViewerAndOneFailureBox() {
    ProgramDir program;
    FakeCommands commands;
    ProcessViewerLauncher launcher(program.Dir());
    // The real window with its own message boxes and the real launcher.
    CHelperDlg window(CHelperDlg::Environment{
        commands, launcher,
        Settings(Profile(program.Path(QStringLiteral("info.dat")).toStdString())), program.Dir()});
    window.Open(Account());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.OnCodeCreated(4242);

    // A viewer that writes down its id and stays until it is ended.
    const QString viewer = program.Path(QStringLiteral("ostiviewer"));
    const QString log = program.Path(QStringLiteral("started.log"));
    {
        QFile script(viewer);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho $$ >> \"$(dirname \"$0\")/started.log\"\nexec sleep 120\n");
    }
    QVERIFY(chmod(viewer.toLocal8Bit().constData(), 0755) == 0);
    for (int i = 0; i < 30; ++i) window.OnCodeStatus(Status(4242, AccessCodeState::Ready));
    QTRY_COMPARE_WITH_TIMEOUT(StartedViewers(log).size(), 1, 5000);
    // Once that viewer has ended, the next Ready starts another.
    EndViewer(StartedViewers(log).at(0).toInt());
    window.OnCodeStatus(Status(4242, AccessCodeState::Ready));
    QTRY_COMPARE_WITH_TIMEOUT(StartedViewers(log).size(), 2, 5000);
    EndViewer(StartedViewers(log).at(1).toInt());

    // Without a viewer every Ready fails; the statuses that come while the
    // first failure's box is open open no second box over it.
    QVERIFY(QFile::remove(viewer));
    int mostBoxes = 0;
    int boxesClosed = 0;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        int open = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++open;
        }
        mostBoxes = std::max(mostBoxes, open);
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->done(QMessageBox::Ok);
            ++boxesClosed;
        }
    });
    closer.start();
    QTimer::singleShot(0, &window, [&] {
        for (int i = 0; i < 29; ++i) window.OnCodeStatus(Status(4242, AccessCodeState::Ready));
    });
    window.OnCodeStatus(Status(4242, AccessCodeState::Ready));  // returns once its box closed
    closer.stop();
    QCOMPARE(mostBoxes, 1);
    QCOMPARE(boxesClosed, 1);
}

QTEST_MAIN(HelperDlgTest)
#include "test_helper_dlg.moc"
