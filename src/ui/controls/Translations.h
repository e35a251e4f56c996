#pragma once
// Picks the windows' language from the user's locale and installs its texts:
// Japanese when the user's preferred language is Japanese, English otherwise.
// The translations (resources/translations/<part>_<lang>.ts, every part of
// the language) are compiled into the program. Installing also points the Windows font names the
// windows use at installed fonts, and for Japanese makes a Japanese font the application font, so
// that kanji get their Japanese forms.

#include <QLocale>

#include "ui/controls/UiLanguage.h"

class QApplication;

namespace ostiva {

class Translations {
  public:
    // The first of the locale's interface languages that is Japanese or
    // English decides; English when there is neither.
    static UiLanguage LanguageFor(const QLocale& locale);

    // Installs the language of the user's locale (LANGUAGE, LC_ALL,
    // LC_MESSAGES, LANG) and returns it.
    static UiLanguage Install(QApplication& app);
    // Installs the language of the given locale; a later call replaces the
    // earlier translation.
    static UiLanguage Install(QApplication& app, const QLocale& locale);

    // The language installed last (English before any Install).
    static UiLanguage Current();
};

}  // namespace ostiva
