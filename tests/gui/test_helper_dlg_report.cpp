// The main window's report panel (limits, texts that follow their code),
// connecting, the pages it opens, events from the receive thread, the end of
// the session, and the window in both languages.

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

#include "HelperDlgFixture.h"
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

class HelperDlgReportTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void reportEditsLimitedToTheirSlots();
    void typedTextsFollowTheirCode();
    void doubleClickConnectsAfterAsking();
    void copyUrlAndPageOpening();
    void historyWindowCreatedHiddenAndShown();
    void eventsFromAnotherThreadAreQueued();
    void sessionEndShowsMessageAndEnds();
    void textsInBothLanguages();
};

void HelperDlgReportTest::initTestCase() {
    Translations::Install(App(), QLocale(QStringLiteral("en_US")));
}

void HelperDlgReportTest::cleanup() {
    Translations::Install(App(), QLocale(QStringLiteral("en_US")));
}

void HelperDlgReportTest::reportEditsLimitedToTheirSlots() {
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

void HelperDlgReportTest::typedTextsFollowTheirCode() {
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

void HelperDlgReportTest::doubleClickConnectsAfterAsking() {
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

void HelperDlgReportTest::copyUrlAndPageOpening() {
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

void HelperDlgReportTest::historyWindowCreatedHiddenAndShown() {
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

void HelperDlgReportTest::eventsFromAnotherThreadAreQueued() {
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

void HelperDlgReportTest::sessionEndShowsMessageAndEnds() {
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

void HelperDlgReportTest::textsInBothLanguages() {
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
        QCOMPARE(groupTitles(f),
                 (QStringList{QStringLiteral("My Information"), QStringLiteral("Report"),
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
        const DialogUnits units(
            DialogUnits::TemplateFont(DialogTemplate::Main, UiLanguage::English));
        QCOMPARE(f.List()->geometry().size(), units.Rect(230, 34, 321, 245).size());
        QCOMPARE(
            f.Control(CHelperDlg::IdSave)->geometry().topLeft(),
            units.Rect(163, 264, 50, 14).topLeft() + QPoint(0, f.window->Banner()->BannerHeight()));
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

QTEST_MAIN(HelperDlgReportTest)
#include "test_helper_dlg_report.moc"
