#include "ui/windows/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "session/FailureText.h"
#include "ui/controls/UiText.h"

namespace ostiva {

MessageBoxPrompt::MessageBoxPrompt(QWidget* owner) : owner_(owner) {}

QString MessageBoxPrompt::Text(const PromptMessage& message) {
    // Every piece in the user's language, the reasons' included.
    TextLookup translated = [](StringId id, std::u16string_view argument) {
        return UiText(id, QString::fromStdU16String(std::u16string(argument))).toStdU16String();
    };
    return QString::fromStdU16String(RenderPromptMessage(message, translated));
}

QString MessageBoxPrompt::Caption() {
    return QStringLiteral("helper");
}

QWidget* MessageBoxPrompt::Owner() const {
    if (owner_) return owner_;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

bool MessageBoxPrompt::Run(const PromptMessage& message, bool question) {
    QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) return false;  // no windows in this process: No
    if (QThread::currentThread() != app->thread()) {
        // A box belongs to the window thread. That thread keeps running its
        // event loop while the login works, so it is free to answer.
        bool answer = false;
        QMetaObject::invokeMethod(
            app, [&] { answer = Run(message, question); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::Information, Caption(),
                    Text(message), question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    Owner());
    box.setTextFormat(Qt::PlainText);  // texts may carry the server's words
    if (question) box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompt::ShowMessage(const PromptMessage& message) {
    Run(message, false);
}

bool MessageBoxPrompt::AskYesNo(const PromptMessage& question) {
    return Run(question, true);
}

}  // namespace ostiva
