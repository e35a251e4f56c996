// The main window as the console model's ConsoleView: the code list's items,
// the controls' texts and states, and the questions, all on the window's
// thread.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>

#include "ui/controls/QtText.h"
#include "ui/windows/CHelperDlg.h"
#include "ui/windows/CodeListWidget.h"
#include "ui/windows/MessageBoxPrompt.h"

namespace ostiva {

void CHelperDlg::ShowCodeList(const std::vector<CodeListItem>& items) {
    quietList_ = true;
    list_->setUpdatesEnabled(false);
    list_->clear();
    images_.resize(items.size());

    QSet<QString> used;
    for (size_t i = 0; i < items.size(); ++i) {
        const QString path = ToQString(items[i].picturePath);
        used.insert(path);
        const QPixmap picture = pictures_.Picture(path);
        // A picture that cannot be loaded leaves the slot's image as it was.
        if (!picture.isNull()) images_[i] = picture;
        auto* item = new QListWidgetItem(ToQString(items[i].text));
        if (!images_[i].isNull()) item->setIcon(QIcon(images_[i]));
        item->setTextAlignment(Qt::AlignHCenter);
        list_->addItem(item);
    }
    // Placed once all are in: the list lays out new items in one pass first.
    for (size_t i = 0; i < items.size(); ++i) {
        list_->SetItemPosition(int(i), QPoint(items[i].x, items[i].y));
    }
    pictures_.Retain(used);

    list_->setUpdatesEnabled(true);
    quietList_ = false;
}

void CHelperDlg::SetSelectionMark(int32_t index) {
    quietList_ = true;
    if (index < 0 || index >= list_->count()) {
        list_->clearSelection();
        list_->setCurrentRow(-1);
    } else {
        list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
    quietList_ = false;
}

QWidget* CHelperDlg::ControlFor(ConsoleControl control) const {
    switch (control) {
        case ConsoleControl::Create:
            return Control(IdCreate);
        case ConsoleControl::Delete:
            return Control(IdDelete);
        case ConsoleControl::Connect:
            return Control(IdConnect);
        case ConsoleControl::Save:
            return Control(IdSave);
        case ConsoleControl::ReportCompany:
            return Control(IdReportCompany);
        case ConsoleControl::ReportName:
            return Control(IdReportName);
        case ConsoleControl::ReportEmail:
            return Control(IdReportEmail);
        case ConsoleControl::ReportPhone:
            return Control(IdReportPhone);
        case ConsoleControl::ReportMemo:
            return Control(IdReportMemo);
        case ConsoleControl::BeginTime:
            return Control(IdBeginValue);
        case ConsoleControl::EndTime:
            return Control(IdEndValue);
        case ConsoleControl::Address:
            return Control(IdAddressValue);
        case ConsoleControl::OsName:
            return Control(IdOsValue);
        case ConsoleControl::AccountCompany:
            return Control(IdCompanyValue);
        case ConsoleControl::AccountHelper:
            return Control(IdHelperValue);
        case ConsoleControl::AccountExpiry:
            return Control(IdExpiryValue);
        case ConsoleControl::AccountCustomerUrl:
            return Control(IdUrlValue);
        case ConsoleControl::TodayCount:
            return Control(IdTodayValue);
    }
    return nullptr;
}

void CHelperDlg::EnableControl(ConsoleControl control, bool enabled) {
    if (QWidget* widget = ControlFor(control)) widget->setEnabled(enabled);
}

void CHelperDlg::SetControlText(ConsoleControl control, std::u16string_view text) {
    QWidget* widget = ControlFor(control);
    const QString value = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
        if (control == ConsoleControl::TodayCount) {
            // The template's slot holds one digit; the count may need more.
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        memo->setPlainText(value);
    }
}

std::u16string CHelperDlg::GetControlText(ConsoleControl control) {
    QWidget* widget = ControlFor(control);
    if (auto* label = qobject_cast<QLabel*>(widget)) return FromQString(label->text());
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQString(edit->text());
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        return FromQString(memo->toPlainText());
    }
    return {};
}

void CHelperDlg::Invalidate() {
    update();
    client_->update();
}

bool CHelperDlg::AskYesNo(const PromptMessage& question) {
    return prompt_->AskYesNo(question);
}

void CHelperDlg::ShowMessage(const PromptMessage& message) {
    prompt_->ShowMessage(message);
}

void CHelperDlg::CopyToClipboard(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}

QWidget* CHelperDlg::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QAction* CHelperDlg::MenuCommand(int id) const {
    auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

}  // namespace ostiva
