#include "ServerCore.h"

#include "Account.h"
#include "Clock.h"
#include "ConsoleConnection.h"
#include "Log.h"
#include "PasswordHash.h"
#include "session/AccessCode.h"
#include "util/Utf.h"

namespace ostiva::server {

ServerCore::ServerCore(ServerDatabase& db, std::chrono::milliseconds loginPace)
    : db_(db), timeline_(db.LoadCodes()), throttle_(loginPace) {}

LoginDecision ServerCore::DecideLogin(const std::shared_ptr<ConsoleConnection>& connection,
                                      const wire::LoginRequest& request) {
    LoginDecision decision;
    std::string helperId = ToUtf8(request.helperId);
    std::optional<Account> account = db_.FindAccount(helperId);
    bool credentialsHold =
        account && VerifyPassword(ToUtf8(request.password), account->passwordHash);
    if (!credentialsHold) {
        // A forced login that cannot be checked is refused, never accepted.
        decision.result =
            request.forced ? wire::LOGIN_FORCE_REJECTED : wire::LOGIN_WRONG_CREDENTIALS;
    } else if (IsExpired(account->expiry, TodayText())) {
        decision.result = wire::LOGIN_EXPIRED;
        decision.dateText = FromUtf8(account->expiry);
    } else {
        decision.authenticated = true;
        decision.dateText = FromUtf8(account->expiry);
        // Checked and claimed at once, so two logins of one helper that
        // arrive together cannot both be accepted as the first.
        std::shared_ptr<ConsoleConnection> earlier;
        {
            std::lock_guard<std::mutex> guard(lock_);
            auto active = consoles_.find(helperId);
            bool othersActive = active != consoles_.end() && active->second != connection;
            if (othersActive && !request.forced) {
                decision.result = wire::LOGIN_ALREADY_ACTIVE;
            } else {
                decision.result = LOGIN_ACCEPTED;
                decision.claimed = true;
                if (othersActive) earlier = active->second;
                consoles_[helperId] = connection;
            }
        }
        if (earlier) Evict(helperId, earlier, *connection);
    }
    if (auto forced = faults_.Take(Fault::LoginResult)) decision.result = uint16_t(*forced);
    return decision;
}

void ServerCore::Claim(const std::string& helperId,
                       const std::shared_ptr<ConsoleConnection>& connection) {
    std::shared_ptr<ConsoleConnection> earlier;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto& slot = consoles_[helperId];
        if (slot != connection) earlier = std::move(slot);
        slot = connection;
    }
    if (earlier) Evict(helperId, earlier, *connection);
}

void ServerCore::Evict(const std::string& helperId,
                       const std::shared_ptr<ConsoleConnection>& earlier,
                       const ConsoleConnection& successor) {
    Log("console of " + helperId + " at " + earlier->peer() + " signed in elsewhere (" +
        successor.peer() + ")");
    earlier->Send(wire::BuildSignedInElsewhere());
    earlier->Close();
}

void ServerCore::Release(const std::string& helperId, const ConsoleConnection* connection) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = consoles_.find(helperId);
    if (it != consoles_.end() && it->second.get() == connection) consoles_.erase(it);
}

std::shared_ptr<ConsoleConnection> ServerCore::ActiveConsole(const std::string& helperId) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = consoles_.find(helperId);
    return it == consoles_.end() ? nullptr : it->second;
}

std::vector<std::string> ServerCore::ActiveHelpers() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> helpers;
    for (const auto& entry : consoles_) helpers.push_back(entry.first);
    return helpers;
}

bool ServerCore::Kick(const std::string& helperId) {
    auto console = ActiveConsole(helperId);
    if (!console) return false;
    console->Send(wire::BuildSignedInElsewhere());
    console->Close();
    return true;
}

wire::AccountInfo ServerCore::AccountInfoFor(const std::string& helperId) {
    wire::AccountInfo info;
    if (auto account = db_.FindAccount(helperId)) {
        info.companyName = FromUtf8(account->company);
        info.helperName = FromUtf8(account->name);
        info.customerUrl = FromUtf8(account->customerUrl);
        info.linkUrl1 = FromUtf8(account->link1);
        info.linkUrl2 = FromUtf8(account->link2);
    }
    info.todayConnections = db_.CountConnections(helperId, TodayText());
    return info;
}

bool ServerCore::PublishStatus(const CodeEntry& entry) {
    db_.SaveCode(entry);
    if (entry.state == static_cast<uint16_t>(AccessCodeState::Connected)) {
        db_.AddConnection(entry.helperId, entry.code, entry.connectionNumber, NowText());
    }
    auto console = ActiveConsole(entry.helperId);
    if (!console) return false;
    return console->Send(wire::BuildCodeStatus(CodeTimeline::StatusOf(entry)));
}

void ServerCore::NoteRecord(const std::string& helperId, wire::ByteView record) {
    std::lock_guard<std::mutex> guard(lock_);
    if (records_.size() >= kMaxHelpersWithRecords && records_.count(helperId) == 0) return;
    auto& list = records_[helperId];
    if (list.size() >= kMaxRecordsPerHelper) list.erase(list.begin());
    list.emplace_back(record.begin(), record.end());
}

std::vector<wire::Bytes> ServerCore::Records(const std::string& helperId) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = records_.find(helperId);
    return it == records_.end() ? std::vector<wire::Bytes>{} : it->second;
}

void ServerCore::SetSplit(bool on) {
    std::lock_guard<std::mutex> guard(modeLock_);
    split_ = on;
}

bool ServerCore::Split() const {
    std::lock_guard<std::mutex> guard(modeLock_);
    return split_;
}

void ServerCore::RequestQuit() {
    {
        std::lock_guard<std::mutex> guard(modeLock_);
        quit_ = true;
    }
    quitSignal_.notify_all();
}

bool ServerCore::QuitRequested() const {
    std::lock_guard<std::mutex> guard(modeLock_);
    return quit_;
}

void ServerCore::WaitForQuit() {
    std::unique_lock<std::mutex> guard(modeLock_);
    quitSignal_.wait(guard, [this] { return quit_; });
}

}  // namespace ostiva::server
