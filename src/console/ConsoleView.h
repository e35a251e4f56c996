#pragma once
// What the code-list and report logic asks of the window that shows it. The
// Qt main window implements it, so does the command-line console, and tests
// record the calls. Every call comes on the one thread that runs the logic.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/Prompt.h"

namespace ostiva {

// The controls the logic enables, fills or reads.
enum class ConsoleControl {
    // Buttons (the matching menu items follow the logic's flags).
    Create,
    Delete,
    Connect,
    Save,
    // Report edits: typed by the technician.
    ReportCompany,
    ReportName,
    ReportEmail,
    ReportPhone,
    ReportMemo,
    // Report values, read-only.
    BeginTime,
    EndTime,
    Address,
    OsName,
    // My Information and the day's counter, read-only.
    AccountCompany,
    AccountHelper,
    AccountExpiry,
    AccountCustomerUrl,
    TodayCount,
};

// One item of the code list: its text under a picture placed at (x, y) in
// the list's client area. The view loads the picture from the path, scales
// it to 120 x 80 and may cache it; a picture it cannot load leaves the
// item's image as it was.
struct CodeListItem {
    std::u16string text;
    std::u16string picturePath;
    int x = 0;
    int y = 0;

    bool operator==(const CodeListItem&) const = default;
};

class ConsoleView {
  public:
    virtual ~ConsoleView() = default;

    // Replaces every item of the list, with redrawing held back meanwhile.
    virtual void ShowCodeList(const std::vector<CodeListItem>& items) = 0;
    // Marks the item at `index` as selected; -1 clears the mark.
    virtual void SetSelectionMark(int32_t index) = 0;

    virtual void EnableControl(ConsoleControl control, bool enabled) = 0;
    virtual void SetControlText(ConsoleControl control, std::u16string_view text) = 0;
    virtual std::u16string GetControlText(ConsoleControl control) = 0;
    // Repaints the whole window, background included.
    virtual void Invalidate() = 0;

    // Message boxes. A view may run a nested event loop while it asks; the
    // logic copes with events that arrive meanwhile.
    virtual bool AskYesNo(const PromptMessage& question) = 0;
    virtual void ShowMessage(const PromptMessage& message) = 0;

    // Puts the text on the clipboard as plain text.
    virtual void CopyToClipboard(std::u16string_view text) = 0;
};

}  // namespace ostiva
