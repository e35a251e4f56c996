#include "ControlHandler.h"

#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include "Clock.h"
#include "ConsoleConnection.h"
#include "ControlLine.h"
#include "ServerCore.h"
#include "util/HexText.h"
#include "util/Utf.h"

namespace ostiva::server {

namespace {

using Arguments = std::vector<std::string>;
using json = nlohmann::json;

std::string Error(const std::string& what) {
    return "ERR " + what;
}

std::string List(const json& array) {
    // Invalid UTF-8 from a console's texts is replaced, never fatal.
    return "OK " + array.dump(-1, ' ', false, json::error_handler_t::replace);
}

json CodeJson(const CodeEntry& entry) {
    return json{{"code", entry.code},
                {"helper", entry.helperId},
                {"state", entry.state},
                {"connection", entry.connectionNumber},
                {"deleted", entry.deleted}};
}

std::string Status(ServerCore& core, const Arguments& args) {
    if (args.size() < 2 || args.size() > 7) {
        return Error("usage: status CODE STATE [CONN ADDR1 ADDR2 TIME OSCODE]");
    }
    wire::CodeStatus status;
    auto code = ParseInt32(args[0]);
    auto state = ParseUint16(args[1]);
    if (!code || !state) return Error("CODE and STATE must be numbers");
    status.code = *code;
    status.state = *state;
    if (args.size() > 2) {
        auto connection = ParseInt32(args[2]);
        if (!connection) return Error("CONN must be a number");
        status.connectionNumber = *connection;
    }
    if (args.size() > 3) status.firstAddress = FromUtf8(args[3]);
    if (args.size() > 4) status.secondAddress = FromUtf8(args[4]);
    if (args.size() > 5) status.timeText = FromUtf8(args[5]);
    if (args.size() > 6) {
        auto os = ParseUint16(args[6]);
        if (!os) return Error("OSCODE must be a number from 0 to 65535");
        status.osCode = *os;
    }
    auto entry = core.timeline().SetStatus(status);
    if (!entry) return Error("unknown code " + args[0]);
    return core.PublishStatus(*entry) ? "OK delivered" : "OK stored";
}

std::string Advance(ServerCore& core, const Arguments& args) {
    if (args.size() != 1) return Error("usage: advance CODE");
    auto code = ParseInt32(args[0]);
    if (!code) return Error("CODE must be a number");
    auto entry = core.timeline().Advance(*code, FromUtf8(NowText()));
    if (!entry) return Error("code " + args[0] + " is unknown or has ended");
    bool delivered = core.PublishStatus(*entry);
    return std::string(delivered ? "OK delivered " : "OK stored ") + std::to_string(entry->state);
}

std::string Codes(ServerCore& core, const Arguments& args) {
    if (args.size() > 1) return Error("usage: codes [HELPERID]");
    json list = json::array();
    for (const auto& entry : core.timeline().Codes()) {
        if (args.empty() || entry.helperId == args[0]) list.push_back(CodeJson(entry));
    }
    return List(list);
}

std::string Deleted(ServerCore& core, const Arguments& args) {
    if (!args.empty()) return Error("usage: deleted");
    json list = json::array();
    for (const auto& entry : core.timeline().Codes()) {
        if (entry.deleted) list.push_back(entry.code);
    }
    return List(list);
}

std::string Reports(ServerCore& core, const Arguments& args) {
    if (args.size() > 1) return Error("usage: reports [HELPERID]");
    std::optional<std::string> helper;
    if (!args.empty()) helper = args[0];
    json list = json::array();
    for (const auto& report : core.db().Reports(helper)) {
        list.push_back(json{{"helper", report.helperId},
                            {"connection", report.connectionNumber},
                            {"code", report.code ? json(*report.code) : json(nullptr)},
                            {"company", report.company},
                            {"name", report.name},
                            {"email", report.email},
                            {"phone", report.phone},
                            {"memo", report.memo},
                            {"received", report.receivedAt}});
    }
    return List(list);
}

std::string Records(ServerCore& core, const Arguments& args) {
    if (args.size() != 1) return Error("usage: records HELPERID");
    json list = json::array();
    for (const auto& record : core.Records(args[0])) list.push_back(HexEncode(record));
    return List(list);
}

std::string Sessions(ServerCore& core, const Arguments& args) {
    if (!args.empty()) return Error("usage: sessions");
    return List(json(core.ActiveHelpers()));
}

// kick, drop and close.
std::string OnConsole(ServerCore& core, const Arguments& args, const char* usage,
                      const std::function<void(ConsoleConnection&)>& act) {
    if (args.size() != 1) return Error(usage);
    auto console = core.ActiveConsole(args[0]);
    if (!console) return Error("no console of " + args[0]);
    act(*console);
    return "OK";
}

std::string Raw(ServerCore& core, const Arguments& args) {
    if (args.size() != 2) return Error("usage: raw HELPERID HEX");
    auto bytes = ParseHex(args[1]);
    if (!bytes || bytes->empty()) return Error("HEX must be an even number of hex digits");
    auto console = core.ActiveConsole(args[0]);
    if (!console) return Error("no console of " + args[0]);
    return console->SendRaw(*bytes) ? "OK" : Error("send failed");
}

std::string Split(ServerCore& core, const Arguments& args) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return Error("usage: split on|off");
    core.SetSplit(args[0] == "on");
    return "OK";
}

std::string FaultCommand(ServerCore& core, const Arguments& args) {
    if (args.empty()) return "OK " + core.faults().Describe();
    if (args[0] == "none" && args.size() == 1) {
        core.faults().Clear();
        return "OK";
    }
    auto fault = FaultByName(args[0]);
    if (!fault) return Error("unknown fault " + args[0]);
    std::deque<int> values;
    for (size_t i = 1; i < args.size(); ++i) {
        auto value = ParseUint16(args[i]);
        if (!value) return Error("fault values must be numbers from 0 to 65535");
        values.push_back(*value);
    }
    if (FaultTakesValues(*fault) != !values.empty()) {
        return Error(std::string(FaultName(*fault)) +
                     (FaultTakesValues(*fault) ? " needs a value" : " takes no value"));
    }
    if (values.empty()) values.push_back(0);
    core.faults().Arm(*fault, std::move(values));
    return "OK";
}

}  // namespace

std::string ControlHandler::Handle(std::string_view text) {
    ControlParse parse = ParseControlLine(text);
    if (!parse.line) return parse.error.empty() ? Error("empty line") : Error(parse.error);
    const std::string& name = parse.line->name;
    const Arguments& args = parse.line->arguments;
    try {
        if (name == "status") return Status(core_, args);
        if (name == "advance") return Advance(core_, args);
        if (name == "codes") return Codes(core_, args);
        if (name == "deleted") return Deleted(core_, args);
        if (name == "reports") return Reports(core_, args);
        if (name == "records") return Records(core_, args);
        if (name == "sessions") return Sessions(core_, args);
        if (name == "kick") {
            if (args.size() != 1) return Error("usage: kick HELPERID");
            return core_.Kick(args[0]) ? "OK" : Error("no console of " + args[0]);
        }
        if (name == "drop") {
            return OnConsole(core_, args, "usage: drop HELPERID",
                             [](ConsoleConnection& console) { console.Abort(); });
        }
        if (name == "close") {
            return OnConsole(core_, args, "usage: close HELPERID",
                             [](ConsoleConnection& console) { console.Close(); });
        }
        if (name == "raw") return Raw(core_, args);
        if (name == "split") return Split(core_, args);
        if (name == "fault") return FaultCommand(core_, args);
        if (name == "ping") return args.empty() ? "OK" : Error("usage: ping");
        if (name == "quit") {
            core_.RequestQuit();
            return "OK";
        }
    } catch (const std::exception& e) {
        // The database, or memory: the channel answers and goes on.
        return Error(e.what());
    }
    return Error("unknown command " + name);
}

}  // namespace ostiva::server
