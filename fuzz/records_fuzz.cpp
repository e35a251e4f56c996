// Feeds arbitrary bytes to every record reader. Each reader must take any
// length without reading past it, and whatever it reads must survive being
// built into a record again and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "session/Records.h"
#include "util/Utf.h"

using namespace ostiva::wire;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Texts read from a slot of `units` never hold more than the slot nor a zero unit.
void CheckText(const std::u16string& text, size_t units) {
    Check(text.size() <= units);
    Check(text.find(u'\0') == std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteView bytes(data, size);

    (void)ReadType(bytes);
    (void)ReadDeleteCode(bytes);
    (void)ReadCodeCreated(bytes);

    LoginRequest login = ReadLogin(bytes);
    CheckText(login.helperId, kLoginIdUnits);
    CheckText(login.clientVersion, kClientVersionUnits);
    Bytes loginAgain = BuildLogin(login);
    Check(loginAgain.size() == kLoginSize);
    // A slot read without a zero unit loses its last unit when rebuilt: the
    // layout keeps that unit for the zero.
    Check(ReadLogin(loginAgain).password ==
          ostiva::CutUtf16(login.password, kLoginPasswordUnits - 1));

    ReportCustomer customer = ReadReportCustomer(bytes);
    CheckText(customer.company, kCompanyUnits);
    CheckText(customer.customerName, kCustomerNameUnits);
    Bytes customerAgain = BuildReportCustomer(customer);
    Check(customerAgain.size() == kCommandSize);
    ReportCustomer customerBack = ReadReportCustomer(customerAgain);
    Check(customerBack.connectionNumber == customer.connectionNumber);
    Check(customerBack.customerName == customer.customerName);

    ReportContact contact = ReadReportContact(bytes);
    CheckText(contact.memo, kMemoUnits);
    Bytes contactAgain = BuildReportContact(contact);
    Check(contactAgain.size() == kReportContactSize);
    Check(ReadReportContact(contactAgain).memo == contact.memo);

    LoginReply reply = ReadLoginReply(bytes);
    CheckText(reply.dateText, kLoginReplyDateUnits);
    Check(BuildLoginReply(reply).size() == kLoginReplySize);

    AccountInfo account = ReadAccountInfo(bytes);
    CheckText(account.linkUrl2, kAccountTextUnits);
    Bytes accountAgain = BuildAccountInfo(account);
    Check(accountAgain.size() == kAccountInfoSize);
    Check(ReadAccountInfo(accountAgain).todayConnections == account.todayConnections);

    CodeStatus status = ReadCodeStatus(bytes);
    CheckText(status.firstAddress, kStatusAddressUnits);
    CheckText(status.timeText, kStatusTimeUnits);
    Bytes statusAgain = BuildCodeStatus(status);
    Check(statusAgain.size() == kReceiveRecordSize);
    CodeStatus statusBack = ReadCodeStatus(statusAgain);
    Check(statusBack.code == status.code && statusBack.osCode == status.osCode &&
          statusBack.state == status.state);
    return 0;
}
