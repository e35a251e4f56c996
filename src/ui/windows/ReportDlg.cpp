#include "ui/windows/ReportDlg.h"

#include <QCoreApplication>

#include "console/WebHosts.h"
#include "ui/controls/CExplorer.h"
#include "ui/controls/CThemedPictureButton.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/Pictures.h"
#include "ui/controls/Translations.h"
#include "ui/controls/UiText.h"

namespace ostiva {

namespace {

QString Text(const char* source) {
    return QCoreApplication::translate("ReportDlg", source);
}

[[maybe_unused]] const char* const kTexts[] = {
    QT_TRANSLATE_NOOP("ReportDlg", "Ostiva - Report"),
    QT_TRANSLATE_NOOP("ReportDlg", "OK"),
};

}  // namespace

ReportDlg::ReportDlg(const QString& helperId, QWidget* owner)
    : QDialog(owner), helperId_(helperId) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setWindowTitle(Text("Ostiva - Report"));
    setWindowIcon(Pictures::Icon(Pictures::ApplicationIcon));

    // Template 147: the browser view over the whole width, OK at the bottom
    // right.
    const DialogUnits units(
        DialogUnits::TemplateFont(DialogTemplate::Report, Translations::Current()));
    setFont(units.Font());
    setFixedSize(units.Size(613, 267));
    explorer_ = new CExplorer(this);
    explorer_->setObjectName(QString::fromLatin1(kExplorer));
    explorer_->setGeometry(units.Rect(0, 0, 613, 244));
    okButton_ = new CThemedPictureButton(Text("OK"), this);
    okButton_->setObjectName(QString::fromLatin1(kOkButton));
    okButton_->setGeometry(units.Rect(555, 249, 54, 14));
    okButton_->SetFlatLook(false);
    const QImage check = Pictures::Button(Pictures::CheckMark);
    okButton_->SetPictures(check, check);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    banner_.AttachToDialog(this);
    banner_.SetTitle(UiText(StringId::ReportBannerTitle));
    banner_.SetSubtitle(UiText(StringId::ReportBannerSubtitle));

    // Centred over the owner (or the screen) when first shown: QDialog
    // places a window that was never moved that way.
    NavigateHistory();
}

ReportDlg::~ReportDlg() = default;

QString ReportDlg::HistoryAddress() const {
    return QString::fromStdU16String(WebHosts::HistoryAddress(helperId_.toStdU16String()));
}

void ReportDlg::NavigateHistory() {
    explorer_->Navigate(HistoryAddress());
}

}  // namespace ostiva
