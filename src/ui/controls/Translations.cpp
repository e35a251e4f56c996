#include "ui/controls/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTranslator>
#include <memory>
#include <vector>

#include "ui/controls/FontFallbacks.h"

namespace ostiva {

namespace {

// The message boxes' standard buttons are labelled by Qt under this context;
// the console's translations carry them so that a Japanese message box is
// Japanese throughout. Listed here for lupdate.
[[maybe_unused]] const char* const kMessageBoxButtons[] = {
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "&Yes"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "&No"),
};

struct Installed {
    std::vector<std::unique_ptr<QTranslator>> translators;
    UiLanguage language = UiLanguage::English;
    QFont originalFont;
    bool fontChanged = false;
};

Installed& State() {
    static Installed state;
    return state;
}

}  // namespace

UiLanguage Translations::LanguageFor(const QLocale& locale) {
    for (const QString& name : locale.uiLanguages()) {
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::Japanese) return UiLanguage::Japanese;
        if (language == QLocale::English) return UiLanguage::English;
    }
    return locale.language() == QLocale::Japanese ? UiLanguage::Japanese : UiLanguage::English;
}

UiLanguage Translations::Install(QApplication& app) {
    return Install(app, QLocale::system());
}

UiLanguage Translations::Install(QApplication& app, const QLocale& locale) {
    Installed& state = State();
    for (const auto& translator : state.translators)
        QCoreApplication::removeTranslator(translator.get());
    state.translators.clear();
    if (state.fontChanged) {
        app.setFont(state.originalFont);
        state.fontChanged = false;
    }

    const UiLanguage language = LanguageFor(locale);
    // Every translation file of the language: one per part of the windows
    // (ostiva_<lang>.qm, dialogs_<lang>.qm, ...). Without a translation the
    // English source texts are shown, which is still a working console.
    const QString suffix =
        language == UiLanguage::Japanese ? QStringLiteral("_ja.qm") : QStringLiteral("_en.qm");
    const QDir directory(QStringLiteral(":/i18n"));
    for (const QString& name :
         directory.entryList({QStringLiteral("*") + suffix}, QDir::Files, QDir::Name)) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(directory.filePath(name))) continue;
        QCoreApplication::installTranslator(translator.get());
        state.translators.push_back(std::move(translator));
    }

    FontFallbacks::InstallSubstitutions();
    if (language == UiLanguage::Japanese) {
        state.originalFont = app.font();
        QFont font = state.originalFont;
        font.setFamilies({FontFallbacks::Resolve(QStringLiteral("MS PGothic"))});
        app.setFont(font);
        state.fontChanged = true;
    }
    state.language = language;
    return language;
}

UiLanguage Translations::Current() {
    return State().language;
}

}  // namespace ostiva
