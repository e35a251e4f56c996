// The README's first command, headless: scripts/demo.sh on a virtual display
// signs in to the bundled server's demo, plays the whole workflow once (code,
// Ready with the viewer, Connected, report saved, Ended, history window,
// exit) and leaves a screenshot of each step. The script checks each step as
// it plays; this test runs it to the end and checks that the pictures exist
// and are not blank.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestServices.h"

namespace {

// Below the gui tests' limit of 120 s, so a hung demo fails here with its
// output instead of being killed by the test driver.
constexpr int kDemoLimitMs = 110000;

const char* const kShots[] = {"01-signed-in.png",    "02-ready.png", "03-connected.png",
                              "04-report-typed.png", "05-ended.png", "06-history.png",
                              "07-exit.png"};

// Distinct colours in a grid of samples over the picture (a blank or
// one-colour picture has one or two).
int SampledColours(const QImage& image, int steps = 64) {
    QSet<QRgb> colours;
    for (int i = 0; i < steps; ++i) {
        for (int j = 0; j < steps; ++j) {
            colours.insert(image.pixel(image.width() * i / steps, image.height() * j / steps));
        }
    }
    return int(colours.size());
}

}  // namespace

class DemoPathTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void playsTheWorkflowAndSavesScreenshots();
};

void DemoPathTest::playsTheWorkflowAndSavesScreenshots() {
    for (const char* tool : {"Xvfb", "xwininfo", "import", "python3"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            OSTIVA_QTEST_MISSING_PEER(
                qPrintable(QStringLiteral("%1 is needed").arg(QString::fromLatin1(tool))));
        }
    }
    QTemporaryDir shots;
    QVERIFY(shots.isValid());
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));  // the headless path even on a desktop
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("OSTIVA_DEMO_TIMES"), QStringLiteral("1,2,10"));
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::MergedChannels);
    demo.start(QStringLiteral("bash"),
               {QStringLiteral(OSTIVA_SOURCE_DIR "/scripts/demo.sh"), QStringLiteral("--headless"),
                QStringLiteral("--no-build"), QStringLiteral("--build-dir"),
                QStringLiteral(OSTIVA_BINARY_DIR), QStringLiteral("--shots"), shots.path()});
    QVERIFY(demo.waitForStarted());
    if (!demo.waitForFinished(kDemoLimitMs)) {
        // The script's trap stops the server, the console and Xvfb.
        demo.terminate();
        if (!demo.waitForFinished(15000)) demo.kill();
        demo.waitForFinished(5000);
        QFAIL(qPrintable(QStringLiteral("the demo did not end in time:\n") +
                         QString::fromUtf8(demo.readAll())));
    }
    const QString output = QString::fromUtf8(demo.readAll());
    QVERIFY2(demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0, qPrintable(output));
    QVERIFY2(
        output.contains(QStringLiteral("screenshots of each step are in %1").arg(shots.path())),
        qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("demo: stand-in viewer started for the code")),
             qPrintable(output));

    for (const char* name : kShots) {
        const QString path = shots.filePath(QString::fromLatin1(name));
        QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QVERIFY2(image.width() >= 200 && image.height() >= 100, qPrintable(path));
        const int colours = SampledColours(image);
        QVERIFY2(colours > 8, qPrintable(QStringLiteral("%1: %2 colours").arg(path).arg(colours)));
    }
    // The history page fills most of its window: its middle is not one colour.
    QImage history(shots.filePath(QStringLiteral("06-history.png")));
    const QImage middle = history.copy(history.width() / 8, history.height() / 4,
                                       history.width() * 3 / 4, history.height() / 2);
    QVERIFY2(SampledColours(middle) > 2, "the history page looks empty");
}

QTEST_MAIN(DemoPathTest)
#include "test_demo_path.moc"
