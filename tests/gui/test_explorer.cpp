#include <QApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEngineView>

#include "ui/controls/CExplorer.h"

using namespace ostiva;

namespace {

// One-shot HTTP peer on 127.0.0.1 that records the request line it got.
class PagePeer : public QObject {
  public:
    PagePeer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    if (requestLine_.isEmpty()) requestLine_ = request.left(request.indexOf('\r'));
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
    QByteArray RequestLine() const { return requestLine_; }

  private:
    QTcpServer server_;
    QByteArray requestLine_;
};

}  // namespace

class ExplorerTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void hiddenHostDefersTheEngine();
    void loadsTheAddressWhenShown();
};

void ExplorerTest::hiddenHostDefersTheEngine() {
    CExplorer explorer;
    explorer.Navigate(QStringLiteral("http://127.0.0.1:9/admin/pages/helper/index.php?hid=a b&c"));
    QVERIFY(!explorer.HasView());
    QCOMPARE(explorer.Address(),
             QStringLiteral("http://127.0.0.1:9/admin/pages/helper/index.php?hid=a b&c"));
}

void ExplorerTest::loadsTheAddressWhenShown() {
    PagePeer peer;
    QVERIFY(peer.Port() != 0);
    CExplorer explorer;
    explorer.resize(400, 300);
    const QString address =
        QStringLiteral("http://127.0.0.1:%1/admin/pages/helper/index.php?hid=a b&c")
            .arg(peer.Port());
    explorer.Navigate(address);
    explorer.show();
    QVERIFY(explorer.HasView());
    QCOMPARE(explorer.View()->size(), QSize(400, 300));

    QSignalSpy finished(explorer.View(), &QWebEngineView::loadFinished);
    if (!finished.wait(30000)) {
        QSKIP(
            "the web engine did not finish a page within 30 s on this machine (headless "
            "without a sandbox-less Chromium?)");
    }
    QCOMPARE(finished.first().first().toBool(), true);
    // The query went out as built: the ampersand stays, the space is only
    // encoded for the request line.
    QCOMPARE(peer.RequestLine(),
             QByteArray("GET /admin/pages/helper/index.php?hid=a%20b&c HTTP/1.1"));

    explorer.resize(500, 200);
    QCOMPARE(explorer.View()->size(), QSize(500, 200));
}

int main(int argc, char** argv) {
    CExplorer::PrepareApplication();
    QApplication app(argc, argv);
    ExplorerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_explorer.moc"
