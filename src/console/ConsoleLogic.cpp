#include "console/ConsoleLogic.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

#include "console/WorkDirectories.h"
#include "session/OsCode.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {

namespace {

bool IsFile(std::u16string_view path) {
    struct stat info {};
    return stat(ToUtf8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsReadyOrConnected(const AccessCode& entry) {
    return entry.Is(AccessCodeState::Ready) || entry.Is(AccessCodeState::Connected);
}

}  // namespace

ConsoleLogic::ConsoleLogic(ConsoleView& view, CodeCommands& commands, ViewerLauncher& launcher,
                           std::u16string programDir)
    : view_(view), commands_(commands), launcher_(launcher), programDir_(std::move(programDir)) {}

void ConsoleLogic::Open(const ConsoleAccount& account, FirstCode firstCode) {
    account_ = account;
    todayCount_ = account.todayConnections;
    view_.SetControlText(ConsoleControl::AccountCompany, account_.companyName);
    view_.SetControlText(ConsoleControl::AccountHelper,
                         FormatWide(u"%s(%s)", {account_.helperId, account_.helperName}));
    view_.SetControlText(ConsoleControl::AccountExpiry, account_.expiryDate);
    view_.SetControlText(ConsoleControl::AccountCustomerUrl, account_.customerUrl);
    ShowTodayCount();

    PrepareWorkDirectories(programDir_);

    EnableDelete(false);
    EnableConnect(false);
    EnableReportEdits(false);
    if (firstCode == FirstCode::Request) commands_.RequestNewCode();
}

void ConsoleLogic::DropCodes() {
    codes_.clear();
    readyViewers_.clear();
    selectedIndex_ = -1;
}

// ---- the code list ----

std::u16string ConsoleLogic::FormatCodeText(int32_t code) {
    return FormatWide(u"%d-%d", {code / 1000, code % 1000});
}

void ConsoleLogic::ItemPosition(size_t index, int* x, int* y) {
    // Four to a row for the first two rows; the third row takes the rest and
    // runs on to the right (the list scrolls).
    size_t column = index < 8 ? index % 4 : index - 8;
    *x = 12 + 132 * static_cast<int>(column);
    *y = index < 4 ? 10 : index < 8 ? 140 : 270;
}

void ConsoleLogic::RebuildCodeList() {
    if (codes_.empty()) return;
    std::vector<CodeListItem> items;
    items.reserve(codes_.size());
    for (size_t i = 0; i < codes_.size(); ++i) {
        const AccessCode& entry = codes_[i];
        CodeListItem item;
        item.text = FormatCodeText(entry.code);
        // A connected code's picture appears only once the viewer has written
        // it; until then the code shows "connecting". The entry keeps its path.
        item.picturePath = entry.Is(AccessCodeState::Connected) && !IsFile(entry.imagePath)
                               ? PicturePath(u"connecting.png")
                               : entry.imagePath;
        ItemPosition(i, &item.x, &item.y);
        items.push_back(std::move(item));
    }
    view_.ShowCodeList(items);
    // Replacing the items clears the list's own selection; keep showing the
    // entry whose data the report panel holds.
    view_.SetSelectionMark(selectedIndex_);
}

void ConsoleLogic::OnCodeCreated(int32_t code) {
    AccessCode entry;
    entry.imagePath = PicturePath(u"ready.png");
    entry.code = code;
    codes_.insert(codes_.begin(), std::move(entry));
    // The selection follows its entry as the list shifts, so that the report
    // panel, Save and the stored edits keep meaning the same code.
    if (selectedIndex_ >= 0) ++selectedIndex_;
    RebuildCodeList();
    EnableDelete(false);
    EnableConnect(false);
    EnableCreate(true);
}

void ConsoleLogic::OnCodeStatus(const wire::CodeStatus& status) {
    const int32_t p = FindCode(status.code);
    if (p < 0) return;  // a code this console does not list: nothing to change

    const auto state = static_cast<AccessCodeState>(status.state);
    // The status selects its entry and the panel will show it: what was typed
    // for the entry selected until now goes into that entry first, instead of
    // being overwritten or, worse, stored into this one later.
    StoreReportEdits();
    const bool selectionMoves = p != selectedIndex_;

    AccessCode& entry = codes_[p];
    entry.state = status.state;
    selectedIndex_ = p;
    switch (state) {
        case AccessCodeState::Ready:
            entry.imagePath = PicturePath(u"connecting.png");
            RebuildCodeList();
            break;
        case AccessCodeState::Connected:
            entry.imagePath = ConnectedPicturePath(entry.code);
            entry.firstAddress = status.firstAddress;
            entry.secondAddress = status.secondAddress;
            entry.osCode = status.osCode;
            entry.beginTime = status.timeText;
            entry.connectionNumber = status.connectionNumber;
            if (todayCount_ < std::numeric_limits<int32_t>::max()) ++todayCount_;
            ShowTodayCount();
            ShowReport(p);
            EnableReportEdits(true);
            // The list is not rebuilt: the timer shows the picture once it exists.
            break;
        case AccessCodeState::Ended:
            entry.imagePath = PicturePath(u"disconnected.png");
            entry.endTime = status.timeText;
            RebuildCodeList();
            ShowReport(p);
            break;
        default:
            break;  // Waiting or a value this console does not know: stored only
    }
    const bool reportShown = state == AccessCodeState::Connected || state == AccessCodeState::Ended;
    if (selectionMoves && !reportShown) ShowReport(p);
    view_.SetSelectionMark(p);

    // Last, when the list is consistent: a failure message may let the view
    // run other events before it returns.
    if (state == AccessCodeState::Ready) LaunchForReady(status.code);
}

void ConsoleLogic::OnCreateCode() {
    if (codes_.size() >= kMaxCodes) {
        view_.ShowMessage({StringId::CodeLimit, {}});
        return;
    }
    commands_.RequestNewCode();
    // Enabled again by the next new code; the menu item stays usable.
    EnableCreate(false);
}

void ConsoleLogic::OnDeleteCode() {
    if (!IsValidPosition(selectedIndex_)) return;
    const int32_t code = codes_[selectedIndex_].code;
    if (IsReadyOrConnected(codes_[selectedIndex_])) {
        if (!view_.AskYesNo({StringId::ConfirmDeleteConnected, {}})) return;
        // Statuses may have moved the list or the selection while the
        // question was open: delete the code that was asked about.
        if (!IsValidPosition(selectedIndex_) || codes_[selectedIndex_].code != code) {
            const int32_t p = FindCode(code);
            if (p < 0) return;
            selectedIndex_ = p;
        }
    }
    commands_.DeleteCode(code);
    RemoveSelectedCode();
}

void ConsoleLogic::RemoveSelectedCode() {
    // The selected entry is the one whose code was just sent, whatever the
    // list's own mark shows (arrow keys move the mark without a click).
    if (IsValidPosition(selectedIndex_)) {
        readyViewers_.erase(codes_[selectedIndex_].code);
        codes_.erase(codes_.begin() + selectedIndex_);
    }
    selectedIndex_ = -1;
    if (codes_.empty()) {
        view_.ShowCodeList({});
        view_.SetSelectionMark(-1);
    } else {
        RebuildCodeList();
    }
    EnableDelete(false);
    EnableConnect(false);
}

void ConsoleLogic::OnConnect() {
    if (!IsValidPosition(selectedIndex_) || !IsReadyOrConnected(codes_[selectedIndex_])) return;
    const int32_t code = codes_[selectedIndex_].code;
    if (!view_.AskYesNo({StringId::ConfirmReconnect, {}})) return;
    Launch(code);
}

void ConsoleLogic::OnListClick(int32_t position) {
    if (!IsValidPosition(position)) position = -1;
    selectedIndex_ = position;
    if (position < 0) {
        // Only Delete needs a selection; Connect and the panel keep their state.
        EnableDelete(false);
        return;
    }
    EnableDelete(true);
    const AccessCode& entry = codes_[position];
    if (IsReadyOrConnected(entry)) {
        EnableConnect(true);
        EnableReportEdits(true);
    } else if (entry.Is(AccessCodeState::Ended)) {
        EnableConnect(false);
        EnableReportEdits(true);
    } else {
        EnableConnect(false);
        EnableReportEdits(false);
    }
    ShowReport(position);
}

void ConsoleLogic::OnListItemChanged() {
    // Comes before the click: the texts go to the code selected until now.
    StoreReportEdits();
}

void ConsoleLogic::OnTimer(int timerId) {
    if (timerId != kCodeListTimerId) return;
    if (std::any_of(codes_.begin(), codes_.end(),
                    [](const AccessCode& c) { return c.Is(AccessCodeState::Connected); })) {
        RebuildCodeList();
    }
}

// ---- the report panel ----

void ConsoleLogic::ShowReport(int32_t position) {
    if (!IsValidPosition(position)) return;
    const AccessCode& entry = codes_[position];
    view_.SetControlText(ConsoleControl::BeginTime, entry.beginTime);
    view_.SetControlText(ConsoleControl::EndTime, entry.endTime);
    view_.SetControlText(ConsoleControl::Address,
                         entry.firstAddress.empty()
                             ? std::u16string()
                             : FormatWide(u"%s / %s", {entry.firstAddress, entry.secondAddress}));
    view_.SetControlText(ConsoleControl::OsName, OsCodeName(entry.osCode));
    view_.SetControlText(ConsoleControl::ReportCompany, entry.company);
    view_.SetControlText(ConsoleControl::ReportName, entry.customerName);
    view_.SetControlText(ConsoleControl::ReportEmail, entry.email);
    view_.SetControlText(ConsoleControl::ReportPhone, entry.phone);
    view_.SetControlText(ConsoleControl::ReportMemo, entry.memo);
    view_.Invalidate();
}

void ConsoleLogic::StoreReportEdits() {
    if (!IsValidPosition(selectedIndex_)) return;
    AccessCode& entry = codes_[selectedIndex_];
    entry.company = view_.GetControlText(ConsoleControl::ReportCompany);
    entry.customerName = view_.GetControlText(ConsoleControl::ReportName);
    entry.email = view_.GetControlText(ConsoleControl::ReportEmail);
    entry.phone = view_.GetControlText(ConsoleControl::ReportPhone);
    entry.memo = view_.GetControlText(ConsoleControl::ReportMemo);
}

void ConsoleLogic::OnSaveReport() {
    if (!IsValidPosition(selectedIndex_)) return;  // no entry to send
    StoreReportEdits();
    commands_.SaveReport(codes_[selectedIndex_]);
}

void ConsoleLogic::OnCopyCustomerUrl() {
    view_.CopyToClipboard(account_.customerUrl);
}

// ---- helpers ----

std::u16string ConsoleLogic::PicturePath(std::u16string_view name) const {
    return FormatWide(u"%s/%s", {programDir_, name});
}

std::u16string ConsoleLogic::ConnectedPicturePath(int32_t code) const {
    return FormatWide(u"%s/imgs/%d.png", {programDir_, code});
}

int32_t ConsoleLogic::FindCode(int32_t code) const {
    for (size_t i = 0; i < codes_.size(); ++i) {
        if (codes_[i].code == code) return static_cast<int32_t>(i);
    }
    return -1;
}

bool ConsoleLogic::IsValidPosition(int32_t position) const {
    return position >= 0 && static_cast<size_t>(position) < codes_.size();
}

void ConsoleLogic::EnableCreate(bool enabled) {
    createEnabled_ = enabled;
    view_.EnableControl(ConsoleControl::Create, enabled);
}

void ConsoleLogic::EnableDelete(bool enabled) {
    deleteEnabled_ = enabled;
    view_.EnableControl(ConsoleControl::Delete, enabled);
}

void ConsoleLogic::EnableConnect(bool enabled) {
    connectEnabled_ = enabled;
    view_.EnableControl(ConsoleControl::Connect, enabled);
}

void ConsoleLogic::EnableReportEdits(bool enabled) {
    for (ConsoleControl control :
         {ConsoleControl::ReportCompany, ConsoleControl::ReportName, ConsoleControl::ReportEmail,
          ConsoleControl::ReportPhone, ConsoleControl::ReportMemo, ConsoleControl::Save}) {
        view_.EnableControl(control, enabled);
    }
    saveEnabled_ = enabled;
}

void ConsoleLogic::ShowTodayCount() {
    view_.SetControlText(ConsoleControl::TodayCount, FormatWide(u"%d", {todayCount_}));
}

bool ConsoleLogic::Launch(int32_t code) {
    std::u16string error;
    if (launcher_.LaunchViewer(code, &error)) return true;
    // The view may run events while the message is open, among them more
    // statuses whose launches fail the same way: one message says it.
    if (failureShown_) return false;
    failureShown_ = true;
    view_.ShowMessage({StringId::ViewerStartFailed, error});
    failureShown_ = false;
    return false;
}

void ConsoleLogic::LaunchForReady(int32_t code) {
    auto known = readyViewers_.find(code);
    if (known != readyViewers_.end() && launcher_.IsRunning(known->second)) return;
    // Launch may run events (a failure message), which may change the map.
    if (Launch(code)) readyViewers_[code] = launcher_.LastStarted();
}

}  // namespace ostiva
