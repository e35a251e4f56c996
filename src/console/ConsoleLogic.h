#pragma once
// The main window's logic, without the window: the access-code list (the
// codes newest first, their states and pictures, the Create, Delete and
// Connect commands), the customer report panel, My Information and today's
// connection count. A front end (the Qt main window, the command-line
// console) shows it through a ConsoleView and forwards its events here.
//
// Every member runs on one thread, the front end's. The receive loop's calls
// (OnCodeCreated, OnCodeStatus) reach it through ConsoleEvents forwarded to
// that thread, so nothing here takes a lock.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "console/ConsoleView.h"
#include "console/ViewerLauncher.h"
#include "session/AccessCode.h"
#include "session/CodeCommands.h"
#include "session/ConsoleAccount.h"
#include "session/Records.h"

namespace ostiva {

class ConsoleLogic {
  public:
    static constexpr size_t kMaxCodes = 12;
    // The front end calls OnTimer with this id at this period while the
    // window is open, so connected codes' pictures follow their files.
    static constexpr int kCodeListTimerId = 10000;
    static constexpr int kCodeListTimerMs = 3000;

    // `programDir` holds the pictures, the viewer and the work directories.
    ConsoleLogic(ConsoleView& view, CodeCommands& commands, ViewerLauncher& launcher,
                 std::u16string programDir);

    // Whether opening asks the server for a code by itself: the window does,
    // the command-line console waits until it is told.
    enum class FirstCode { Request, Wait };

    // The window has opened: shows the account, prepares the work
    // directories, disables what needs a selection and (unless told to wait)
    // requests the first code without a click.
    void Open(const ConsoleAccount& account, FirstCode firstCode = FirstCode::Request);
    // The window is closing: the list is dropped.
    void DropCodes();

    // ---- the code list ----
    // "123-45" for 123045: thousands, a dash, the remainder without padding.
    static std::u16string FormatCodeText(int32_t code);
    // Where list item `index` sits in the list's client area.
    static void ItemPosition(size_t index, int* x, int* y);
    // Shows `codes` in the list; does nothing while it is empty.
    void RebuildCodeList();

    // From the receive loop (forwarded to this thread).
    void OnCodeCreated(int32_t code);
    void OnCodeStatus(const wire::CodeStatus& status);

    // Commands (button and menu item alike).
    void OnCreateCode();
    void OnDeleteCode();
    void OnConnect();
    // Removes the selected entry; runs right after the delete record is sent.
    void RemoveSelectedCode();

    // The list's notifications: a click on an item (-1 for empty space), and
    // a selection change, which comes before the click.
    void OnListClick(int32_t position);
    void OnListItemChanged();
    void OnTimer(int timerId);

    // ---- the report panel ----
    void ShowReport(int32_t position);
    void StoreReportEdits();
    void OnSaveReport();
    void OnCopyCustomerUrl();

    // ---- state, for the menus and the front ends ----
    const std::vector<AccessCode>& codes() const { return codes_; }
    int32_t selectedIndex() const { return selectedIndex_; }
    bool deleteEnabled() const { return deleteEnabled_; }
    bool connectEnabled() const { return connectEnabled_; }
    bool saveEnabled() const { return saveEnabled_; }
    bool createEnabled() const { return createEnabled_; }
    int32_t todayCount() const { return todayCount_; }
    const std::u16string& programDir() const { return programDir_; }
    const ConsoleAccount& account() const { return account_; }
    const std::u16string& linkUrl1() const { return account_.linkUrl1; }
    const std::u16string& linkUrl2() const { return account_.linkUrl2; }

  private:
    std::u16string PicturePath(std::u16string_view name) const;
    std::u16string ConnectedPicturePath(int32_t code) const;
    // The position of the first entry with this code, or -1.
    int32_t FindCode(int32_t code) const;
    bool IsValidPosition(int32_t position) const;

    void EnableCreate(bool enabled);
    void EnableDelete(bool enabled);
    void EnableConnect(bool enabled);
    // The five report edits and Save.
    void EnableReportEdits(bool enabled);
    void ShowTodayCount();
    // Starts a viewer for the code; a failure is shown unless another
    // failure's message is still open.
    bool Launch(int32_t code);
    // A Ready starts a viewer unless the one an earlier Ready started for the
    // same code still runs.
    void LaunchForReady(int32_t code);

    ConsoleView& view_;
    CodeCommands& commands_;
    ViewerLauncher& launcher_;
    const std::u16string programDir_;
    ConsoleAccount account_;

    std::vector<AccessCode> codes_;
    int32_t selectedIndex_ = -1;
    bool deleteEnabled_ = false;
    bool connectEnabled_ = false;
    bool saveEnabled_ = false;
    bool createEnabled_ = true;
    int32_t todayCount_ = 0;

    // The viewer each code's last Ready started (Connect's are not kept).
    std::map<int32_t, ViewerHandle> readyViewers_;
    // A failure message is open (the view may run events meanwhile).
    bool failureShown_ = false;
};

}  // namespace ostiva
