#include "ui/windows/CAboutDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "ui/controls/DialogUnits.h"
#include "ui/controls/Pictures.h"

namespace ostiva {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    // Template: 170 x 62 dialog units in "MS Shell Dlg" 8 points.
    const DialogUnits units(DialogUnits::WindowsFont(QStringLiteral("MS Shell Dlg"), 8));
    setFont(units.Font());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QCoreApplication::translate("CAboutDlg", "About helper"));
    setFixedSize(units.Size(170, 62));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(Pictures::IconPixmap(Pictures::ApplicationIcon, 32));
    icon->setGeometry(units.X(14), units.Y(14), 32, 32);

    auto* text = new QLabel(QCoreApplication::translate("CAboutDlg", "helper, Version 1.0"), this);
    text->setObjectName(QStringLiteral("version"));
    text->setTextFormat(Qt::PlainText);
    text->setGeometry(units.Rect(42, 14, 114, 8));

    auto* ok = new QPushButton(QCoreApplication::translate("CAboutDlg", "OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    ok->setGeometry(units.Rect(113, 41, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace ostiva
