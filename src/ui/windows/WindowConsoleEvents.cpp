#include "ui/windows/WindowConsoleEvents.h"

#include <QMetaObject>

#include "ui/windows/CHelperDlg.h"

namespace ostiva {

namespace {

// Queues one call on the window's thread. A call still queued when the
// window is deleted is discarded with it.
void Queue(CHelperDlg* window, std::function<void(CHelperDlg&)> call) {
    QMetaObject::invokeMethod(
        window, [window, call = std::move(call)] { call(*window); }, Qt::QueuedConnection);
}

}  // namespace

void WindowConsoleEvents::Attach(CHelperDlg* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (detached_ || window == nullptr) return;
    window_ = window;
    for (Call& call : held_) Queue(window_, std::move(call));
    held_.clear();
}

void WindowConsoleEvents::Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = nullptr;
    detached_ = true;
    held_.clear();
}

void WindowConsoleEvents::Post(Call call) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (detached_) return;
    if (window_ == nullptr) {
        held_.push_back(std::move(call));
        return;
    }
    Queue(window_, std::move(call));
}

void WindowConsoleEvents::OnCodeCreated(int32_t code) {
    Post([code](CHelperDlg& window) { window.OnCodeCreated(code); });
}

void WindowConsoleEvents::OnCodeStatus(const wire::CodeStatus& status) {
    // Copied: the loop reuses its record buffer.
    Post([status](CHelperDlg& window) { window.OnCodeStatus(status); });
}

void WindowConsoleEvents::OnSignedInElsewhere() {
    Post([](CHelperDlg& window) { window.OnSessionEnd(StringId::SignedInElsewhere); });
}

void WindowConsoleEvents::OnConnectionLost() {
    Post([](CHelperDlg& window) { window.OnSessionEnd(StringId::ConnectionLost); });
}

}  // namespace ostiva
