#pragma once
// The session protocol's fixed-size records: type and result codes, and one
// builder or reader per record, for both directions (the console and the
// bundled server use the same code). Integers are little-endian, texts are
// UTF-16LE slots of a fixed number of units, every byte a layout does not
// name is zero. Readers take any number of bytes: what is missing reads as
// zero, and a text slot is read up to its first zero unit or its end.
// Builders cut a text that is longer than its slot (never splitting a
// surrogate pair). Slots whose layout ends with a zero unit (login ID,
// password, address and version; every text the server sends) keep that
// unit; the report slots may be filled completely.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva::wire {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

// Type codes.
inline constexpr uint16_t MSG_HELLO = 1000;
inline constexpr uint16_t MSG_HELLO_REPLY = 1001;
inline constexpr uint16_t MSG_LOGIN = 1010;
inline constexpr uint16_t MSG_LOGIN_FORCED = 1011;
inline constexpr uint16_t MSG_SIGNED_IN_ELSEWHERE = 1014;
inline constexpr uint16_t MSG_ACCOUNT_REQUEST = 1020;
inline constexpr uint16_t MSG_CONSOLE_READY = 1022;
inline constexpr uint16_t MSG_CREATE_CODE = 1030;
inline constexpr uint16_t MSG_CODE_CREATED = 1031;
inline constexpr uint16_t MSG_DELETE_CODE = 1032;
inline constexpr uint16_t MSG_REPORT_CUSTOMER = 1036;
inline constexpr uint16_t MSG_REPORT_CONTACT = 1037;
inline constexpr uint16_t MSG_CODE_STATUS = 7000;

// Login result codes (LoginReply::result).
inline constexpr uint16_t LOGIN_WRONG_CREDENTIALS = 6000;
inline constexpr uint16_t LOGIN_ALREADY_ACTIVE = 6001;
inline constexpr uint16_t LOGIN_EXPIRED = 6002;
inline constexpr uint16_t LOGIN_FORCE_REJECTED = 6005;

// Record sizes in bytes.
inline constexpr size_t kHelloSize = 2;
inline constexpr size_t kLoginSize = 248;
inline constexpr size_t kLoginReplySize = 28;
inline constexpr size_t kAccountRequestSize = 2;
inline constexpr size_t kAccountInfoSize = 492;
inline constexpr size_t kCommandSize = 128;  // console-ready, create, delete, report customer
inline constexpr size_t kReportContactSize = 2170;
inline constexpr size_t kReceiveRecordSize = 128;  // every record of the receive loop

// Text slot capacities in UTF-16 units (terminator included where the layout has one).
inline constexpr size_t kLoginIdUnits = 48;
inline constexpr size_t kLoginPasswordUnits = 48;
inline constexpr size_t kLocalAddressUnits = 16;
inline constexpr size_t kClientVersionUnits = 10;
inline constexpr size_t kCompanyUnits = 30;
inline constexpr size_t kCustomerNameUnits = 31;
inline constexpr size_t kEmailUnits = 30;
inline constexpr size_t kPhoneUnits = 30;
inline constexpr size_t kMemoUnits = 1024;
inline constexpr size_t kLoginReplyDateUnits = 12;
inline constexpr size_t kAccountTextUnits = 48;  // each of the five texts of AccountInfo
inline constexpr size_t kStatusAddressUnits = 16;
inline constexpr size_t kStatusTimeUnits = 20;

// The type code at offset 0 of any record (a missing byte reads as zero).
uint16_t ReadType(ByteView record);

// ---- console to server ----

Bytes BuildHello();
struct LoginRequest {
    bool forced = false;
    std::u16string helperId;  // at most 47 units are sent
    std::u16string password;  // at most 47 units are sent
    uint16_t osCode = 0;
    std::u16string localAddress;   // "%d.%d.%d.%d", or empty
    std::u16string clientVersion;  // at most 9 units are sent
};
Bytes BuildLogin(const LoginRequest& request);
LoginRequest ReadLogin(ByteView record);
Bytes BuildAccountRequest();
Bytes BuildConsoleReady();
Bytes BuildCreateCode();
Bytes BuildDeleteCode(int32_t code);
int32_t ReadDeleteCode(ByteView record);

struct ReportCustomer {
    int32_t connectionNumber = 0;
    std::u16string company;       // cut at 30 units
    std::u16string customerName;  // cut at 31 units
};
Bytes BuildReportCustomer(const ReportCustomer& report);
ReportCustomer ReadReportCustomer(ByteView record);

struct ReportContact {
    std::u16string email;  // cut at 30 units
    std::u16string phone;  // cut at 30 units
    std::u16string memo;   // cut at 1024 units
};
Bytes BuildReportContact(const ReportContact& report);
ReportContact ReadReportContact(ByteView record);

// ---- server to console ----

Bytes BuildHelloReply();

struct LoginReply {
    uint16_t result = 0;
    std::u16string dateText;  // 12 units
};
Bytes BuildLoginReply(const LoginReply& reply);
LoginReply ReadLoginReply(ByteView record);

struct AccountInfo {
    int32_t todayConnections = 0;
    std::u16string companyName;
    std::u16string helperName;
    std::u16string customerUrl;
    std::u16string linkUrl1;
    std::u16string linkUrl2;
};
Bytes BuildAccountInfo(const AccountInfo& info);
AccountInfo ReadAccountInfo(ByteView record);

Bytes BuildSignedInElsewhere();

Bytes BuildCodeCreated(int32_t code);
int32_t ReadCodeCreated(ByteView record);

struct CodeStatus {
    uint16_t state = 0;  // an AccessCodeState value
    int32_t code = 0;
    int32_t connectionNumber = 0;
    std::u16string firstAddress;   // 16 units
    std::u16string secondAddress;  // 16 units
    std::u16string timeText;       // 20 units
    uint16_t osCode = 0;
};
Bytes BuildCodeStatus(const CodeStatus& status);
CodeStatus ReadCodeStatus(ByteView record);

}  // namespace ostiva::wire
