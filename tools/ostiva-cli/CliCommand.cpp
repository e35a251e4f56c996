#include "CliCommand.h"

#include <array>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>

#include "session/Records.h"
#include "util/Utf.h"

namespace ostiva::cli {

namespace {

using Json = nlohmann::json;

// Echoed names are cut so that a hostile line cannot blow up the error
// event; the cut never splits a UTF-8 sequence.
std::string Quote(std::string_view text) {
    constexpr size_t kMaxEcho = 32;
    if (text.size() <= kMaxEcho) return "\"" + std::string(text) + "\"";
    size_t end = kMaxEcho;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return "\"" + std::string(text.substr(0, end)) + "...\"";
}

struct Value {
    enum class Type { Null, Boolean, Integer, Float, String };
    Type type = Type::Null;
    bool integerFits = false;  // an Integer within int32
    int32_t integer = 0;
    std::string text;
};

// The keys any command may hold; anything else is refused as soon as it is
// read, so an object can never hold more than these.
constexpr std::array<std::string_view, 7> kKnownKeys = {"cmd",   "code",  "company", "name",
                                                        "email", "phone", "memo"};

// Builds exactly one flat JSON object: scalar values under known keys, each
// key once. Anything else stops the parser at once with a reason.
class FlatObjectReader : public nlohmann::json_sax<Json> {
  public:
    bool null() override { return Store(Value{}); }
    bool boolean(bool) override {
        Value v;
        v.type = Value::Type::Boolean;
        return Store(std::move(v));
    }
    bool number_integer(number_integer_t n) override {
        Value v;
        v.type = Value::Type::Integer;
        v.integerFits =
            n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max();
        if (v.integerFits) v.integer = static_cast<int32_t>(n);
        return Store(std::move(v));
    }
    bool number_unsigned(number_unsigned_t n) override {
        Value v;
        v.type = Value::Type::Integer;
        v.integerFits = n <= static_cast<number_unsigned_t>(std::numeric_limits<int32_t>::max());
        if (v.integerFits) v.integer = static_cast<int32_t>(n);
        return Store(std::move(v));
    }
    bool number_float(number_float_t, const string_t&) override {
        Value v;
        v.type = Value::Type::Float;
        return Store(std::move(v));
    }
    bool string(string_t& s) override {
        Value v;
        v.type = Value::Type::String;
        v.text = std::move(s);
        return Store(std::move(v));
    }
    bool binary(binary_t&) override { return Fail("binary values are not JSON text"); }

    bool start_object(std::size_t) override {
        if (inObject_) return Fail("values must be strings or numbers, not objects");
        if (done_) return Fail("one object per line");
        inObject_ = true;
        return true;
    }
    bool key(string_t& k) override {
        bool known = false;
        for (std::string_view name : kKnownKeys) known = known || name == k;
        if (!known) return Fail("unknown key " + Quote(k));
        if (values_.count(k)) return Fail("key " + Quote(k) + " given twice");
        key_ = std::move(k);
        return true;
    }
    bool end_object() override {
        inObject_ = false;
        done_ = true;
        return true;
    }
    bool start_array(std::size_t) override {
        return Fail(inObject_ ? "values must be strings or numbers, not arrays"
                              : "a command is a JSON object");
    }
    bool end_array() override { return Fail("a command is a JSON object"); }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception&) override {
        // The library's text may quote the offending bytes; the position is
        // enough to find them.
        if (error_.empty()) error_ = "not valid JSON (at byte " + std::to_string(position) + ")";
        return false;
    }

    const std::string& error() const { return error_; }
    const std::map<std::string, Value>& values() const { return values_; }

  private:
    bool Store(Value value) {
        if (!inObject_) return Fail("a command is a JSON object");
        values_.emplace(std::move(key_), std::move(value));
        key_.clear();
        return true;
    }
    bool Fail(std::string reason) {
        if (error_.empty()) error_ = std::move(reason);
        return false;
    }

    bool inObject_ = false;
    bool done_ = false;
    std::string key_;
    std::map<std::string, Value> values_;
    std::string error_;
};

CliCommandParse Refuse(std::string reason) {
    CliCommandParse parse;
    parse.status = CliCommandParse::Status::Error;
    parse.error = std::move(reason);
    return parse;
}

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

struct TextField {
    const char* key;
    size_t units;  // the record slot's size
    std::optional<std::u16string> CliCommand::*member;
};

constexpr std::array<TextField, 5> kReportFields = {{
    {"company", wire::kCompanyUnits, &CliCommand::company},
    {"name", wire::kCustomerNameUnits, &CliCommand::name},
    {"email", wire::kEmailUnits, &CliCommand::email},
    {"phone", wire::kPhoneUnits, &CliCommand::phone},
    {"memo", wire::kMemoUnits, &CliCommand::memo},
}};

}  // namespace

CliCommandParse ParseCliCommand(std::string_view line) {
    if (line.size() > kMaxCommandLine) {
        return Refuse("line longer than " + std::to_string(kMaxCommandLine) + " bytes");
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlank(line)) {
        CliCommandParse blank;
        blank.status = CliCommandParse::Status::Blank;
        return blank;
    }

    FlatObjectReader reader;
    const bool parsed = Json::sax_parse(line, &reader);
    if (!parsed || !reader.error().empty()) {
        return Refuse(reader.error().empty() ? "not valid JSON" : reader.error());
    }
    const auto& values = reader.values();

    auto cmd = values.find("cmd");
    if (cmd == values.end()) return Refuse("missing \"cmd\"");
    if (cmd->second.type != Value::Type::String) return Refuse("\"cmd\" must be a string");

    CliCommand command;
    const std::string& name = cmd->second.text;
    if (name == "create") {
        command.kind = CliCommand::Kind::Create;
    } else if (name == "delete") {
        command.kind = CliCommand::Kind::Delete;
    } else if (name == "connect") {
        command.kind = CliCommand::Kind::Connect;
    } else if (name == "report") {
        command.kind = CliCommand::Kind::Report;
    } else if (name == "quit") {
        command.kind = CliCommand::Kind::Quit;
    } else {
        return Refuse("unknown command " + Quote(name));
    }

    const bool takesCode = command.kind == CliCommand::Kind::Delete ||
                           command.kind == CliCommand::Kind::Connect ||
                           command.kind == CliCommand::Kind::Report;
    const bool takesTexts = command.kind == CliCommand::Kind::Report;
    for (const auto& [key, value] : values) {
        const bool allowed =
            key == "cmd" || (key == "code" && takesCode) || (key != "code" && takesTexts);
        if (!allowed) return Refuse("\"" + name + "\" takes no " + Quote(key));
    }

    if (takesCode) {
        auto code = values.find("code");
        if (code == values.end()) return Refuse("missing \"code\"");
        if (code->second.type != Value::Type::Integer) return Refuse("\"code\" must be an integer");
        if (!code->second.integerFits) return Refuse("\"code\" is out of range");
        command.code = code->second.integer;
    }

    if (takesTexts) {
        for (const TextField& field : kReportFields) {
            auto found = values.find(field.key);
            if (found == values.end()) continue;
            const Value& value = found->second;
            const std::string quoted = std::string("\"") + field.key + "\"";
            if (value.type != Value::Type::String) return Refuse(quoted + " must be a string");
            // A NUL would end the text early in its record slot.
            if (value.text.find('\0') != std::string::npos) {
                return Refuse(quoted + " holds a NUL character");
            }
            std::u16string text = FromUtf8(value.text);  // valid UTF-8: the parser checked
            if (text.size() > field.units) {
                return Refuse(quoted + " is longer than " + std::to_string(field.units) +
                              " UTF-16 units");
            }
            command.*field.member = std::move(text);
        }
    }

    CliCommandParse result;
    result.status = CliCommandParse::Status::Ok;
    result.command = std::move(command);
    return result;
}

}  // namespace ostiva::cli
