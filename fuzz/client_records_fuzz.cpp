// The server's side of the wire: arbitrary bytes read as a console's stream
// the way the server reads it (a type, then as many bytes as that type
// has), each record through what the server makes of it. A login record is
// kept without its password and nothing else of it changes; a report's two
// records become the report that is stored, its texts valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ClientRecords.h"
#include "session/Records.h"
#include "util/Utf.h"

using namespace ostiva;
using namespace ostiva::server;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// UTF-8 as the database and the control channel's JSON are given it: lead
// bytes with their continuation bytes, and no encoded surrogate.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        uint8_t lead = uint8_t(text[i]);
        size_t more = lead < 0x80             ? 0
                      : (lead & 0xe0) == 0xc0 ? 1
                      : (lead & 0xf0) == 0xe0 ? 2
                      : (lead & 0xf8) == 0xf0 ? 3
                                              : 4;
        if (more == 4 || i + more >= text.size() + (more == 0 ? 1 : 0)) return false;
        for (size_t k = 1; k <= more; ++k) {
            if ((uint8_t(text[i + k]) & 0xc0) != 0x80) return false;
        }
        if (lead == 0xed && uint8_t(text[i + 1]) >= 0xa0) return false;
        i += more + 1;
    }
    return true;
}

void CheckLogin(wire::ByteView record) {
    wire::Bytes kept = WithoutPassword(record);
    Check(kept.size() == record.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        bool inSlot =
            i >= kLoginPasswordOffset && i < kLoginPasswordOffset + 2 * wire::kLoginPasswordUnits;
        Check(inSlot ? kept[i] == 0 : kept[i] == record[i]);
    }
    wire::LoginRequest original = wire::ReadLogin(record);
    wire::LoginRequest shown = wire::ReadLogin(kept);
    Check(shown.password.empty());
    Check(shown.helperId == original.helperId);
    Check(shown.localAddress == original.localAddress);
    Check(shown.clientVersion == original.clientVersion);
    Check(shown.forced == original.forced);
}

void CheckReport(wire::ByteView customer, wire::ByteView contact) {
    StoredReport report = ReadReport("alice", customer, contact, "2024-05-06 09:00:00");
    Check(report.helperId == "alice");
    Check(report.connectionNumber == wire::ReadReportCustomer(customer).connectionNumber);
    for (const std::string* text :
         {&report.company, &report.name, &report.email, &report.phone, &report.memo}) {
        Check(IsUtf8(*text));
    }
    // A UTF-16 unit becomes at most three bytes.
    Check(report.memo.size() <= 3 * wire::kMemoUnits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t at = 0;
    wire::ByteView customer;
    while (at + 2 <= size) {
        uint16_t type = uint16_t(data[at] | data[at + 1] << 8);
        size_t length = ConsoleRecordSize(type);
        // The server closes the connection at an unknown type or a record
        // cut short.
        if (length == 0 || at + length > size) break;
        wire::ByteView record(data + at, length);
        at += length;
        if (type == wire::MSG_LOGIN || type == wire::MSG_LOGIN_FORCED) {
            Check(length == wire::kLoginSize);
            CheckLogin(record);
        } else if (type == wire::MSG_REPORT_CUSTOMER) {
            customer = record;
        } else if (type == wire::MSG_REPORT_CONTACT && !customer.empty()) {
            CheckReport(customer, record);
            customer = {};
        }
    }
    // Short and empty records too: the readers take any length.
    CheckLogin(wire::ByteView(data, size));
    CheckReport(wire::ByteView(data, size), wire::ByteView(data, size));
    return 0;
}
