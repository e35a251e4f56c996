#include "ui/controls/FontFallbacks.h"

#include <QFont>
#include <QFontDatabase>

namespace ostiva {

namespace {

const QString kLatinSans = QStringLiteral("DejaVu Sans");
const QString kJapaneseSans = QStringLiteral("Noto Sans CJK JP");

QStringList Substitutes(const QString& family) {
    if (family.compare(QLatin1String("MS PGothic"), Qt::CaseInsensitive) == 0 ||
        family.compare(QLatin1String("MS Gothic"), Qt::CaseInsensitive) == 0) {
        return {kJapaneseSans, QStringLiteral("Noto Sans JP"), kLatinSans};
    }
    // Verdana, Tahoma, MS Shell Dlg and anything else we were not told about.
    return {kLatinSans, QStringLiteral("Liberation Sans"), kJapaneseSans};
}

}  // namespace

QStringList FontFallbacks::Candidates(const QString& family) {
    QStringList list{family};
    list += Substitutes(family);
    return list;
}

QString FontFallbacks::Resolve(const QString& family) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& candidate : Candidates(family)) {
        if (installed.contains(candidate, Qt::CaseInsensitive)) return candidate;
    }
    return family;
}

void FontFallbacks::InstallSubstitutions() {
    for (const char* face : {"Verdana", "Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "MS PGothic"}) {
        const QString family = QLatin1String(face);
        QFont::removeSubstitutions(family);
        QFont::insertSubstitutions(family, Substitutes(family));
    }
}

}  // namespace ostiva
