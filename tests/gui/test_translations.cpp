#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QTest>

#include "ui/controls/Translations.h"
#include "ui/controls/UiText.h"
#include "util/StringTable.h"
#include "util/Utf.h"

using namespace ostiva;

namespace {

QApplication& App() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace

class TranslationsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void languageFollowsTheLocale();
    void japaneseTextsForJapaneseLocale();
    void everyIdIsTranslated();
    void englishTextsOtherwise();
    void sourceTextsMatchTheStringTable();
    void japaneseUsesAJapaneseFont();
    void messageBoxButtonsFollowTheLanguage();
};

void TranslationsTest::languageFollowsTheLocale() {
    QCOMPARE(Translations::LanguageFor(QLocale(QStringLiteral("ja_JP"))), UiLanguage::Japanese);
    QCOMPARE(Translations::LanguageFor(QLocale(QStringLiteral("ja"))), UiLanguage::Japanese);
    QCOMPARE(Translations::LanguageFor(QLocale(QStringLiteral("en_US"))), UiLanguage::English);
    QCOMPARE(Translations::LanguageFor(QLocale(QStringLiteral("de_DE"))), UiLanguage::English);
    QCOMPARE(Translations::LanguageFor(QLocale::c()), UiLanguage::English);
}

void TranslationsTest::japaneseTextsForJapaneseLocale() {
    QCOMPARE(Translations::Install(App(), QLocale(QStringLiteral("ja_JP"))), UiLanguage::Japanese);
    QCOMPARE(Translations::Current(), UiLanguage::Japanese);
    QCOMPARE(UiText(StringId::ConfirmExit), QStringLiteral("プログラムを終了しますか？"));
    QCOMPARE(UiText(StringId::MainBannerSubtitle),
             QStringLiteral("早い、簡単\u3000リモートサポート専門ツール"));
    QCOMPARE(UiText(StringId::StateReady), QStringLiteral("準備完了"));
    QCOMPARE(UiText(StringId::MainBannerTitle), QStringLiteral("Ostiva"));
    QCOMPARE(UiText(StringId::AboutMenuItem), QStringLiteral("&About helper..."));
    QCOMPARE(
        UiText(StringId::AccountExpired, QStringLiteral("2024-03-31")),
        QStringLiteral("有効期限が過ぎました。(有効期限 : 2024-03-31) 管理者へ連絡してください。"));
    QCOMPARE(UiText(StringId::ConnectionFailed, QStringLiteral("timeout")),
             QStringLiteral("サーバーに接続できません。(timeout)"));
    // The argument is taken as text, never as a format.
    QCOMPARE(UiText(StringId::ViewerStartFailed, QStringLiteral("%s %d")),
             QStringLiteral("ビュアーを起動できませんでした。(%s %d)"));
    QCOMPARE(UiText(StringId::PlainText, QStringLiteral("as is")), QStringLiteral("as is"));
}

void TranslationsTest::everyIdIsTranslated() {
    Translations::Install(App(), QLocale(QStringLiteral("ja_JP")));
    for (StringId id : UiTextIds()) {
        const QString english = QString::fromStdU16String(std::u16string(EnglishText(id)));
        const QString japanese = UiText(id, QStringLiteral("x"));
        QVERIFY2(!japanese.isEmpty(), qPrintable(english));
        if (id == StringId::AboutMenuItem || id == StringId::MainBannerTitle) continue;
        bool hasJapanese = false;
        for (QChar c : japanese) hasJapanese |= c.unicode() >= 0x3000;
        QVERIFY2(hasJapanese, qPrintable(QStringLiteral("untranslated: ") + english));
    }
}

void TranslationsTest::englishTextsOtherwise() {
    for (const char* name : {"en_US", "de_DE", "C"}) {
        QCOMPARE(Translations::Install(App(), QLocale(QString::fromLatin1(name))),
                 UiLanguage::English);
        QCOMPARE(UiText(StringId::ConfirmExit), QStringLiteral("Do you want to exit?"));
        QCOMPARE(UiText(StringId::AccountExpired, QStringLiteral("2024-03-31")),
                 QStringLiteral("Your account was expired.(expired date : 2024-03-31) Please "
                                "contact administrator."));
    }
}

void TranslationsTest::sourceTextsMatchTheStringTable() {
    const QList<StringId> ids = UiTextIds();
    for (int value = 1; value < 2000; ++value) {
        const auto id = static_cast<StringId>(value);
        const std::u16string_view english = EnglishText(id);
        if (english.empty()) {
            QVERIFY(UiSourceText(id) == nullptr);
            continue;
        }
        QVERIFY2(ids.contains(id), qPrintable(QString::number(value)));
        QCOMPARE(QString::fromUtf8(UiSourceText(id)),
                 QString::fromStdU16String(std::u16string(english)));
    }
}

void TranslationsTest::japaneseUsesAJapaneseFont() {
    if (!QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK JP"))) {
        QSKIP("Noto Sans CJK JP is not installed");
    }
    const QString before = App().font().family();
    Translations::Install(App(), QLocale(QStringLiteral("ja_JP")));
    QCOMPARE(App().font().family(), QStringLiteral("Noto Sans CJK JP"));
    Translations::Install(App(), QLocale(QStringLiteral("en_GB")));
    QCOMPARE(App().font().family(), before);
}

void TranslationsTest::messageBoxButtonsFollowTheLanguage() {
    Translations::Install(App(), QLocale(QStringLiteral("ja_JP")));
    {
        QMessageBox box(QMessageBox::Question, QString(), UiText(StringId::ConfirmExit),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
    }
    Translations::Install(App(), QLocale(QStringLiteral("en_US")));
    QMessageBox box(QMessageBox::Question, QString(), UiText(StringId::ConfirmExit),
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
}

QTEST_MAIN(TranslationsTest)
#include "test_translations.moc"
