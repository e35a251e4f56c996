#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEngineView>

#include "ui/controls/CExplorer.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/Translations.h"
#include "ui/windows/ReportDlg.h"

using namespace ostiva;

namespace {

// HTTP peer on 127.0.0.1 that records every request line it gets.
class PagePeer : public QObject {
  public:
    PagePeer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    const QByteArray line = request.left(request.indexOf('\r'));
                    if (line.startsWith("GET ")) requestLines_ << line;
                    const QByteArray body = "<html><body>history</body></html>";
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                  QByteArray::number(body.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    quint16 Port() const { return server_.serverPort(); }
    const QList<QByteArray>& RequestLines() const { return requestLines_; }

  private:
    QTcpServer server_;
    QList<QByteArray> requestLines_;
};

PagePeer* peer = nullptr;

QString Host() {
    return QStringLiteral("127.0.0.1:%1").arg(peer->Port());
}

}  // namespace

class ReportDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void addressKeepsTheIdInTheQuery();
    void createdHiddenWithoutStartingTheEngine();
    void okAndCloseOnlyHide();
    void layoutFollowsTheTemplate();
    void pageIsRequestedWithTheEncodedId();
    void japaneseTexts();
};

void ReportDialogTest::addressKeepsTheIdInTheQuery() {
    ReportDlg window(QStringLiteral("a b&hid=x#y"));
    const QString expected =
        QStringLiteral("http://") + Host() +
        QStringLiteral("/admin/pages/helper/index.php?hid=a%20b%26hid%3Dx%23y");
    QCOMPARE(window.HistoryAddress(), expected);
    QCOMPARE(window.Explorer()->Address(), expected);
}

void ReportDialogTest::createdHiddenWithoutStartingTheEngine() {
    QWidget owner;
    ReportDlg window(QStringLiteral("alice"), &owner);
    QVERIFY(!window.isVisible());
    QVERIFY(!window.isModal());
    QVERIFY(!window.Explorer()->HasView());
    QCOMPARE(window.windowTitle(), QStringLiteral("Ostiva - Report"));
    QCOMPARE(window.Banner().Title(), QStringLiteral("Ostiva Report"));
    QCOMPARE(window.Banner().Subtitle(),
             QStringLiteral("You can search your remote assistance histories."));
    QVERIFY(window.Banner().BannerIcon().isNull());
}

void ReportDialogTest::okAndCloseOnlyHide() {
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    QPointer<ReportDlg> window = new ReportDlg(QStringLiteral("alice"), &owner);
    window->NavigateHistory();
    window->show();
    QVERIFY(window->isVisible());
    QVERIFY(owner.isEnabled());  // modeless
    window->findChild<QAbstractButton*>(QString::fromLatin1(ReportDlg::kOkButton))->click();
    QVERIFY(!window.isNull());
    QVERIFY(!window->isVisible());

    window->NavigateHistory();
    window->show();
    window->show();  // a second showing leaves it shown
    QVERIFY(window->isVisible());
    window->close();
    QVERIFY(!window.isNull());
    QVERIFY(!window->isVisible());
    delete window.data();
}

void ReportDialogTest::layoutFollowsTheTemplate() {
    ReportDlg window(QStringLiteral("alice"));
    const DialogUnits units(
        DialogUnits::TemplateFont(DialogTemplate::Report, Translations::Current()));
    const int banner = window.Banner().BannerHeight();
    QCOMPARE(window.size(), QSize(units.X(613), units.Y(267) + banner));
    QCOMPARE(window.Explorer()->geometry(), units.Rect(0, 0, 613, 244).translated(0, banner));
    auto* ok = window.findChild<QAbstractButton*>(QString::fromLatin1(ReportDlg::kOkButton));
    QCOMPARE(ok->geometry(), units.Rect(555, 249, 54, 14).translated(0, banner));
}

void ReportDialogTest::pageIsRequestedWithTheEncodedId() {
    // Other tests' windows ask the same peer for their pages; this one's ID
    // is its own.
    const QByteArray expected =
        "GET /admin/pages/helper/index.php?hid=%E5%B1%B1%E7%94%B0%20%26%20co HTTP/1.1";
    auto requests = [&] { return peer->RequestLines().count(expected); };

    QWidget owner;
    ReportDlg window(QStringLiteral("山田 & co"), &owner);
    window.show();
    QVERIFY(window.Explorer()->HasView());
    QSignalSpy finished(window.Explorer()->View(), &QWebEngineView::loadFinished);
    if (!finished.wait(30000)) {
        QSKIP("the web engine did not finish a page within 30 s on this machine");
    }
    QCOMPARE(requests(), 1);

    // Shown again after a fresh NavigateHistory: loaded once more.
    window.hide();
    window.NavigateHistory();
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(requests(), 2, 30000);
}

void ReportDialogTest::japaneseTexts() {
    auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
    Translations::Install(app, QLocale(QStringLiteral("ja_JP")));
    {
        ReportDlg window(QStringLiteral("alice"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Ostiva - Report"));
        QCOMPARE(
            window.findChild<QAbstractButton*>(QString::fromLatin1(ReportDlg::kOkButton))->text(),
            QStringLiteral("終了"));
        QCOMPARE(window.Banner().Title(), QStringLiteral("Ostiva 履歴"));
        QCOMPARE(window.Banner().Subtitle(),
                 QStringLiteral("遠隔サポート履歴を照会することができません。"));
    }
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
}

int main(int argc, char** argv) {
    CExplorer::PrepareApplication();
    QApplication app(argc, argv);
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
    // Both web hosts point at the peer; the override is read once, at the
    // first address built.
    PagePeer pagePeer;
    peer = &pagePeer;
    qputenv("OSTIVA_WEB_HOST", Host().toLatin1());
    ReportDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_report_dialog.moc"
