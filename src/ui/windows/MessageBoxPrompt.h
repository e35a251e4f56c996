#pragma once
// The technician's messages and Yes/No questions as message boxes, with the
// string table's texts in the user's language. A call from another thread
// (the login runs off the window thread) is carried out on the window
// thread and waits for the answer there.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "session/Prompt.h"

namespace ostiva {

class MessageBoxPrompt : public Prompt {
  public:
    // The boxes are modal over `owner`; without one, over the window that is
    // active (or modal) when they open.
    explicit MessageBoxPrompt(QWidget* owner = nullptr);

    void ShowMessage(const PromptMessage& message) override;
    bool AskYesNo(const PromptMessage& question) override;

    // The text of a message in the user's language.
    static QString Text(const PromptMessage& message);
    // The boxes' caption.
    static QString Caption();

  private:
    QWidget* Owner() const;
    bool Run(const PromptMessage& message, bool question);

    QPointer<QWidget> owner_;
};

}  // namespace ostiva
