#pragma once
// Hands the receive loop's calls to the main window's thread: each call is
// queued on the window's event loop and runs there, so the code list is only
// ever touched by the window thread.
//
// The object exists from before the login (the receive loop starts with the
// login) until after the window: calls that arrive before a window is
// attached are held and delivered, in order, when it is; after Detach they
// are dropped. Detach before the window is destroyed.

#include <functional>
#include <mutex>
#include <vector>

#include "session/ConsoleEvents.h"

namespace ostiva {

class CHelperDlg;

class WindowConsoleEvents : public ConsoleEvents {
  public:
    // Delivers the calls held so far, then every later one, to `window`.
    void Attach(CHelperDlg* window);
    // No call reaches a window from now on.
    void Detach();

    // Called on the receive thread.
    void OnCodeCreated(int32_t code) override;
    void OnCodeStatus(const wire::CodeStatus& status) override;
    void OnSignedInElsewhere() override;
    void OnConnectionLost() override;

  private:
    using Call = std::function<void(CHelperDlg&)>;
    void Post(Call call);

    std::mutex mutex_;
    CHelperDlg* window_ = nullptr;
    bool detached_ = false;
    std::vector<Call> held_;
};

}  // namespace ostiva
