#include "ClientRecords.h"

#include <algorithm>

#include "util/Utf.h"

namespace ostiva::server {

size_t ConsoleRecordSize(uint16_t type) {
    switch (type) {
        case wire::MSG_HELLO:
            return wire::kHelloSize;
        case wire::MSG_LOGIN:
        case wire::MSG_LOGIN_FORCED:
            return wire::kLoginSize;
        case wire::MSG_ACCOUNT_REQUEST:
            return wire::kAccountRequestSize;
        case wire::MSG_CONSOLE_READY:
        case wire::MSG_CREATE_CODE:
        case wire::MSG_DELETE_CODE:
        case wire::MSG_REPORT_CUSTOMER:
            return wire::kCommandSize;
        case wire::MSG_REPORT_CONTACT:
            return wire::kReportContactSize;
        default:
            return 0;
    }
}

wire::Bytes WithoutPassword(wire::ByteView login) {
    wire::Bytes kept(login.begin(), login.end());
    size_t begin = std::min(kept.size(), kLoginPasswordOffset);
    size_t end = std::min(kept.size(), kLoginPasswordOffset + 2 * wire::kLoginPasswordUnits);
    std::fill(kept.begin() + std::ptrdiff_t(begin), kept.begin() + std::ptrdiff_t(end), 0);
    return kept;
}

StoredReport ReadReport(const std::string& helperId, wire::ByteView customer,
                        wire::ByteView contact, const std::string& receivedAt) {
    wire::ReportCustomer first = wire::ReadReportCustomer(customer);
    wire::ReportContact second = wire::ReadReportContact(contact);
    StoredReport report;
    report.helperId = helperId;
    report.connectionNumber = first.connectionNumber;
    report.company = ToUtf8(first.company);
    report.name = ToUtf8(first.customerName);
    report.email = ToUtf8(second.email);
    report.phone = ToUtf8(second.phone);
    report.memo = ToUtf8(second.memo);
    report.receivedAt = receivedAt;
    return report;
}

}  // namespace ostiva::server
