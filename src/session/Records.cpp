#include "session/Records.h"

#include "session/RecordReader.h"
#include "session/RecordWriter.h"

namespace ostiva::wire {
namespace {

Bytes TypeOnly(uint16_t type, size_t size) {
    RecordWriter writer(size);
    writer.PutU16(0, type);
    return writer.Take();
}

}  // namespace

uint16_t ReadType(ByteView record) {
    return RecordReader(record).U16(0);
}

// MSG_HELLO, MSG_HELLO_REPLY, MSG_ACCOUNT_REQUEST (2 bytes):
//   | 0 | 2 | type |
Bytes BuildHello() {
    return TypeOnly(MSG_HELLO, kHelloSize);
}
Bytes BuildHelloReply() {
    return TypeOnly(MSG_HELLO_REPLY, kHelloSize);
}
Bytes BuildAccountRequest() {
    return TypeOnly(MSG_ACCOUNT_REQUEST, kAccountRequestSize);
}

// MSG_LOGIN, MSG_LOGIN_FORCED (248 bytes):
//   |   0 |  2 | type: 1010, or 1011 forced                 |
//   |   2 | 96 | helper ID, 48 units (47 + zero)            |
//   |  98 | 96 | password, 48 units (47 + zero), plain text |
//   | 194 |  2 | OsCode                                     |
//   | 196 | 32 | local IPv4 address, 16 units (15 + zero)   |
//   | 228 | 20 | client version, 10 units (9 + zero)        |
namespace login {
constexpr size_t kType = 0;
constexpr size_t kId = 2;
constexpr size_t kPassword = 98;
constexpr size_t kOsCode = 194;
constexpr size_t kLocalAddress = 196;
constexpr size_t kVersion = 228;
}  // namespace login

Bytes BuildLogin(const LoginRequest& request) {
    RecordWriter writer(kLoginSize);
    writer.PutU16(login::kType, request.forced ? MSG_LOGIN_FORCED : MSG_LOGIN);
    writer.PutText(login::kId, kLoginIdUnits, request.helperId, SlotEnd::Zero);
    writer.PutText(login::kPassword, kLoginPasswordUnits, request.password, SlotEnd::Zero);
    writer.PutU16(login::kOsCode, request.osCode);
    writer.PutText(login::kLocalAddress, kLocalAddressUnits, request.localAddress, SlotEnd::Zero);
    writer.PutText(login::kVersion, kClientVersionUnits, request.clientVersion, SlotEnd::Zero);
    return writer.Take();
}

LoginRequest ReadLogin(ByteView record) {
    RecordReader reader(record);
    LoginRequest request;
    request.forced = reader.U16(login::kType) == MSG_LOGIN_FORCED;
    request.helperId = reader.Text(login::kId, kLoginIdUnits);
    request.password = reader.Text(login::kPassword, kLoginPasswordUnits);
    request.osCode = reader.U16(login::kOsCode);
    request.localAddress = reader.Text(login::kLocalAddress, kLocalAddressUnits);
    request.clientVersion = reader.Text(login::kVersion, kClientVersionUnits);
    return request;
}

// MSG_CONSOLE_READY, MSG_CREATE_CODE (128 bytes):
//   | 0 |   2 | type: 1022 or 1030 |
//   | 2 | 126 | zero               |
Bytes BuildConsoleReady() {
    return TypeOnly(MSG_CONSOLE_READY, kCommandSize);
}
Bytes BuildCreateCode() {
    return TypeOnly(MSG_CREATE_CODE, kCommandSize);
}

// MSG_DELETE_CODE (128 bytes):
//   |  0 |   2 | type: 1032                 |
//   |  2 |   6 | zero                       |
//   |  8 |   4 | access code, 32-bit signed |
//   | 12 | 116 | zero                       |
namespace deleteCode {
constexpr size_t kCode = 8;
}

Bytes BuildDeleteCode(int32_t code) {
    RecordWriter writer(kCommandSize);
    writer.PutU16(0, MSG_DELETE_CODE);
    writer.PutI32(deleteCode::kCode, code);
    return writer.Take();
}

int32_t ReadDeleteCode(ByteView record) {
    return RecordReader(record).I32(deleteCode::kCode);
}

// MSG_REPORT_CUSTOMER (128 bytes):
//   |  0 |  2 | type: 1036                                    |
//   |  2 |  4 | connection number, 32-bit (straddles 4 bytes) |
//   |  6 | 60 | customer's company, 30 units (may be full)    |
//   | 66 | 62 | customer's name, 31 units (may be full)       |
namespace reportCustomer {
constexpr size_t kConnection = 2;
constexpr size_t kCompany = 6;
constexpr size_t kName = 66;
}  // namespace reportCustomer

Bytes BuildReportCustomer(const ReportCustomer& report) {
    RecordWriter writer(kCommandSize);
    writer.PutU16(0, MSG_REPORT_CUSTOMER);
    writer.PutI32(reportCustomer::kConnection, report.connectionNumber);
    writer.PutText(reportCustomer::kCompany, kCompanyUnits, report.company, SlotEnd::Full);
    writer.PutText(reportCustomer::kName, kCustomerNameUnits, report.customerName, SlotEnd::Full);
    return writer.Take();
}

ReportCustomer ReadReportCustomer(ByteView record) {
    RecordReader reader(record);
    ReportCustomer report;
    report.connectionNumber = reader.I32(reportCustomer::kConnection);
    report.company = reader.Text(reportCustomer::kCompany, kCompanyUnits);
    report.customerName = reader.Text(reportCustomer::kName, kCustomerNameUnits);
    return report;
}

// MSG_REPORT_CONTACT (2170 bytes):
//   |   0 |    2 | type: 1037                             |
//   |   2 |   60 | e-mail address, 30 units (may be full) |
//   |  62 |   60 | phone number, 30 units (may be full)   |
//   | 122 | 2048 | memo, 1024 units (may be full)         |
namespace reportContact {
constexpr size_t kEmail = 2;
constexpr size_t kPhone = 62;
constexpr size_t kMemo = 122;
}  // namespace reportContact

Bytes BuildReportContact(const ReportContact& report) {
    RecordWriter writer(kReportContactSize);
    writer.PutU16(0, MSG_REPORT_CONTACT);
    writer.PutText(reportContact::kEmail, kEmailUnits, report.email, SlotEnd::Full);
    writer.PutText(reportContact::kPhone, kPhoneUnits, report.phone, SlotEnd::Full);
    writer.PutText(reportContact::kMemo, kMemoUnits, report.memo, SlotEnd::Full);
    return writer.Take();
}

ReportContact ReadReportContact(ByteView record) {
    RecordReader reader(record);
    ReportContact report;
    report.email = reader.Text(reportContact::kEmail, kEmailUnits);
    report.phone = reader.Text(reportContact::kPhone, kPhoneUnits);
    report.memo = reader.Text(reportContact::kMemo, kMemoUnits);
    return report;
}

// LoginReply (28 bytes):
//   | 0 |  2 | not read by the console          |
//   | 2 |  2 | result: a LOGIN_ code or success |
//   | 4 | 24 | expiry date text, 12 units       |
namespace loginReply {
constexpr size_t kResult = 2;
constexpr size_t kDate = 4;
}  // namespace loginReply

Bytes BuildLoginReply(const LoginReply& reply) {
    RecordWriter writer(kLoginReplySize);
    writer.PutU16(loginReply::kResult, reply.result);
    writer.PutText(loginReply::kDate, kLoginReplyDateUnits, reply.dateText, SlotEnd::Zero);
    return writer.Take();
}

LoginReply ReadLoginReply(ByteView record) {
    RecordReader reader(record);
    LoginReply reply;
    reply.result = reader.U16(loginReply::kResult);
    reply.dateText = reader.Text(loginReply::kDate, kLoginReplyDateUnits);
    return reply;
}

// AccountInfo (492 bytes):
//   |   0 |  4 | not read by the console             |
//   |   4 |  4 | 32-bit value, not used              |
//   |   8 |  4 | today's connection count, signed    |
//   |  12 | 96 | technician's company, 48 units      |
//   | 108 | 96 | technician's display name, 48 units |
//   | 204 | 96 | customer URL, 48 units              |
//   | 300 | 96 | first link URL, 48 units            |
//   | 396 | 96 | second link URL, 48 units           |
namespace account {
constexpr size_t kToday = 8;
constexpr size_t kCompany = 12;
constexpr size_t kName = 108;
constexpr size_t kCustomerUrl = 204;
constexpr size_t kLink1 = 300;
constexpr size_t kLink2 = 396;
}  // namespace account

Bytes BuildAccountInfo(const AccountInfo& info) {
    RecordWriter writer(kAccountInfoSize);
    writer.PutI32(account::kToday, info.todayConnections);
    writer.PutText(account::kCompany, kAccountTextUnits, info.companyName, SlotEnd::Zero);
    writer.PutText(account::kName, kAccountTextUnits, info.helperName, SlotEnd::Zero);
    writer.PutText(account::kCustomerUrl, kAccountTextUnits, info.customerUrl, SlotEnd::Zero);
    writer.PutText(account::kLink1, kAccountTextUnits, info.linkUrl1, SlotEnd::Zero);
    writer.PutText(account::kLink2, kAccountTextUnits, info.linkUrl2, SlotEnd::Zero);
    return writer.Take();
}

AccountInfo ReadAccountInfo(ByteView record) {
    RecordReader reader(record);
    AccountInfo info;
    info.todayConnections = reader.I32(account::kToday);
    info.companyName = reader.Text(account::kCompany, kAccountTextUnits);
    info.helperName = reader.Text(account::kName, kAccountTextUnits);
    info.customerUrl = reader.Text(account::kCustomerUrl, kAccountTextUnits);
    info.linkUrl1 = reader.Text(account::kLink1, kAccountTextUnits);
    info.linkUrl2 = reader.Text(account::kLink2, kAccountTextUnits);
    return info;
}

// MSG_SIGNED_IN_ELSEWHERE (128-byte receive record):
//   | 0 | 2 | type: 1014 |
Bytes BuildSignedInElsewhere() {
    return TypeOnly(MSG_SIGNED_IN_ELSEWHERE, kReceiveRecordSize);
}

// MSG_CODE_CREATED (128-byte receive record):
//   | 0 | 2 | type: 1031                         |
//   | 2 | 2 | not read                           |
//   | 4 | 4 | 32-bit value, not used             |
//   | 8 | 4 | the new access code, 32-bit signed |
namespace codeCreated {
constexpr size_t kCode = 8;
}

Bytes BuildCodeCreated(int32_t code) {
    RecordWriter writer(kReceiveRecordSize);
    writer.PutU16(0, MSG_CODE_CREATED);
    writer.PutI32(codeCreated::kCode, code);
    return writer.Take();
}

int32_t ReadCodeCreated(ByteView record) {
    return RecordReader(record).I32(codeCreated::kCode);
}

// MSG_CODE_STATUS (128-byte receive record):
//   |   0 |  2 | type: 7000                          |
//   |   2 |  2 | state (AccessCodeState)             |
//   |   4 |  4 | not read                            |
//   |   8 |  4 | access code, 32-bit signed          |
//   |  12 |  4 | connection number, 32-bit           |
//   |  16 | 32 | customer's first address, 16 units  |
//   |  48 | 32 | customer's second address, 16 units |
//   |  80 | 40 | begin or end time, 20 units         |
//   | 120 |  2 | OsCode of the customer's computer   |
//   | 122 |  6 | not read                            |
namespace codeStatus {
constexpr size_t kState = 2;
constexpr size_t kCode = 8;
constexpr size_t kConnection = 12;
constexpr size_t kFirstAddress = 16;
constexpr size_t kSecondAddress = 48;
constexpr size_t kTime = 80;
constexpr size_t kOsCode = 120;
}  // namespace codeStatus

Bytes BuildCodeStatus(const CodeStatus& status) {
    RecordWriter writer(kReceiveRecordSize);
    writer.PutU16(0, MSG_CODE_STATUS);
    writer.PutU16(codeStatus::kState, status.state);
    writer.PutI32(codeStatus::kCode, status.code);
    writer.PutI32(codeStatus::kConnection, status.connectionNumber);
    writer.PutText(codeStatus::kFirstAddress, kStatusAddressUnits, status.firstAddress,
                   SlotEnd::Zero);
    writer.PutText(codeStatus::kSecondAddress, kStatusAddressUnits, status.secondAddress,
                   SlotEnd::Zero);
    writer.PutText(codeStatus::kTime, kStatusTimeUnits, status.timeText, SlotEnd::Zero);
    writer.PutU16(codeStatus::kOsCode, status.osCode);
    return writer.Take();
}

CodeStatus ReadCodeStatus(ByteView record) {
    RecordReader reader(record);
    CodeStatus status;
    status.state = reader.U16(codeStatus::kState);
    status.code = reader.I32(codeStatus::kCode);
    status.connectionNumber = reader.I32(codeStatus::kConnection);
    status.firstAddress = reader.Text(codeStatus::kFirstAddress, kStatusAddressUnits);
    status.secondAddress = reader.Text(codeStatus::kSecondAddress, kStatusAddressUnits);
    status.timeText = reader.Text(codeStatus::kTime, kStatusTimeUnits);
    status.osCode = reader.U16(codeStatus::kOsCode);
    return status;
}

}  // namespace ostiva::wire
