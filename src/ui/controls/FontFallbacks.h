#pragma once
// The console's windows name Windows fonts ("Verdana", "Tahoma", "MS Shell
// Dlg", "MS PGothic"). Where a named font is not installed, the windows use a
// font of the same kind that is: DejaVu Sans for the Latin sans-serif faces,
// Noto Sans CJK JP for the Japanese one. Resolving the family explicitly keeps
// text metrics (and so every layout derived from them) the same on every
// machine with the same fonts, whatever fontconfig's aliases say.

#include <QString>
#include <QStringList>

namespace ostiva {

class FontFallbacks {
  public:
    // The candidates tried in order for a face name; the name itself first.
    static QStringList Candidates(const QString& family);

    // The first installed candidate; the name itself when none is installed
    // (the font system then picks its own substitute).
    static QString Resolve(const QString& family);

    // Registers the substitutions with QFont, so that widgets given a Windows
    // face name by hand also find an installed font.
    static void InstallSubstitutions();
};

}  // namespace ostiva
