#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "session/RecordReader.h"
#include "session/RecordWriter.h"
#include "session/Records.h"

using namespace ostiva::wire;

namespace {

uint16_t U16At(const Bytes& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

uint32_t U32At(const Bytes& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) |
           (static_cast<uint32_t>(bytes.at(offset + 1)) << 8) |
           (static_cast<uint32_t>(bytes.at(offset + 2)) << 16) |
           (static_cast<uint32_t>(bytes.at(offset + 3)) << 24);
}

// The UTF-16 units stored in [offset, offset + 2 * units).
std::u16string UnitsAt(const Bytes& bytes, size_t offset, size_t units) {
    std::u16string text;
    for (size_t i = 0; i < units; ++i)
        text.push_back(static_cast<char16_t>(U16At(bytes, offset + 2 * i)));
    return text;
}

bool AllZero(const Bytes& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if (bytes.at(i) != 0) return false;
    }
    return true;
}

std::u16string Repeat(char16_t unit, size_t count) {
    return std::u16string(count, unit);
}

// U+1F600, two units.
const std::u16string kPair = u"\xD83D\xDE00";

}  // namespace

TEST(RecordSizes, EveryRecordHasItsStatedSizeEvenWhenEmpty) {
    EXPECT_EQ(BuildHello().size(), 2u);
    EXPECT_EQ(BuildHelloReply().size(), 2u);
    EXPECT_EQ(BuildAccountRequest().size(), 2u);
    EXPECT_EQ(BuildLogin({}).size(), 248u);
    EXPECT_EQ(BuildLoginReply({}).size(), 28u);
    EXPECT_EQ(BuildAccountInfo({}).size(), 492u);
    EXPECT_EQ(BuildConsoleReady().size(), 128u);
    EXPECT_EQ(BuildCreateCode().size(), 128u);
    EXPECT_EQ(BuildDeleteCode(0).size(), 128u);
    EXPECT_EQ(BuildReportCustomer({}).size(), 128u);
    EXPECT_EQ(BuildReportContact({}).size(), 2170u);
    EXPECT_EQ(BuildSignedInElsewhere().size(), 128u);
    EXPECT_EQ(BuildCodeCreated(0).size(), 128u);
    EXPECT_EQ(BuildCodeStatus({}).size(), 128u);
}

TEST(RecordSizes, TypeOnlyRecordsCarryTheirCodeAndNothingElse) {
    struct Case {
        Bytes record;
        uint16_t type;
    } cases[] = {
        {BuildHello(), 1000},        {BuildHelloReply(), 1001}, {BuildAccountRequest(), 1020},
        {BuildConsoleReady(), 1022}, {BuildCreateCode(), 1030}, {BuildSignedInElsewhere(), 1014},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U16At(c.record, 0), c.type);
        EXPECT_EQ(ReadType(c.record), c.type);
        EXPECT_TRUE(AllZero(c.record, 2, c.record.size())) << c.type;
    }
}

TEST(RecordType, FewerThanTwoBytesReadAsZeroOrLowByte) {
    EXPECT_EQ(ReadType({}), 0);
    const uint8_t one[] = {0xE8};
    EXPECT_EQ(ReadType(one), 0xE8);  // the missing high byte is zero
    const uint8_t two[] = {0x58, 0x1B};
    EXPECT_EQ(ReadType(two), 7000);
}

TEST(LoginRecord, FieldsStandAtTheirOffsets) {
    LoginRequest request;
    request.helperId = u"tech01";
    request.password = u"secret";
    request.osCode = 14;
    request.localAddress = u"192.168.10.200";
    request.clientVersion = u"1.0.0";
    Bytes record = BuildLogin(request);

    EXPECT_EQ(U16At(record, 0), MSG_LOGIN);
    EXPECT_EQ(UnitsAt(record, 2, 7), std::u16string(u"tech01\0", 7));
    EXPECT_TRUE(AllZero(record, 2 + 12, 98));
    EXPECT_EQ(UnitsAt(record, 98, 7), std::u16string(u"secret\0", 7));
    EXPECT_TRUE(AllZero(record, 98 + 12, 194));
    EXPECT_EQ(U16At(record, 194), 14);
    EXPECT_EQ(UnitsAt(record, 196, 15), std::u16string(u"192.168.10.200\0", 15));
    EXPECT_TRUE(AllZero(record, 196 + 28, 228));
    EXPECT_EQ(UnitsAt(record, 228, 6), std::u16string(u"1.0.0\0", 6));
    EXPECT_TRUE(AllZero(record, 228 + 10, 248));

    request.forced = true;
    EXPECT_EQ(U16At(BuildLogin(request), 0), MSG_LOGIN_FORCED);
}

TEST(LoginRecord, LongestTextsKeepTheirZeroUnit) {
    LoginRequest request;
    request.helperId = Repeat(u'i', 47);
    request.password = Repeat(u'p', 47);
    request.localAddress = u"255.255.255.255";
    request.clientVersion = u"10.20.300";  // 9 characters
    Bytes record = BuildLogin(request);

    ASSERT_EQ(record.size(), 248u);
    EXPECT_EQ(UnitsAt(record, 2, 47), request.helperId);
    EXPECT_EQ(U16At(record, 2 + 94), 0);  // the ID slot's last unit
    EXPECT_EQ(UnitsAt(record, 98, 47), request.password);
    EXPECT_EQ(U16At(record, 98 + 94), 0);
    EXPECT_EQ(UnitsAt(record, 196, 15), request.localAddress);
    EXPECT_EQ(U16At(record, 196 + 30), 0);
    EXPECT_EQ(UnitsAt(record, 228, 9), request.clientVersion);  // 18 bytes
    EXPECT_EQ(U16At(record, 228 + 18), 0);

    LoginRequest back = ReadLogin(record);
    EXPECT_EQ(back.helperId, request.helperId);
    EXPECT_EQ(back.password, request.password);
    EXPECT_EQ(back.localAddress, request.localAddress);
    EXPECT_EQ(back.clientVersion, request.clientVersion);
}

TEST(LoginRecord, OverlongTextsAreCutAndNeighboursStayIntact) {
    LoginRequest request;
    request.helperId = Repeat(u'i', 60);
    request.password = Repeat(u'p', 60);
    request.osCode = 0x0A0B;
    request.localAddress = u"1111.2222.3333.4444";
    request.clientVersion = u"1.2.3.4.5.6";
    LoginRequest back = ReadLogin(BuildLogin(request));
    EXPECT_EQ(back.helperId, Repeat(u'i', 47));
    EXPECT_EQ(back.password, Repeat(u'p', 47));
    EXPECT_EQ(back.osCode, 0x0A0B);
    EXPECT_EQ(back.localAddress, u"1111.2222.3333.");
    EXPECT_EQ(back.clientVersion, u"1.2.3.4.5");
}

TEST(LoginRecord, CutNeverSplitsASurrogatePair) {
    LoginRequest request;
    request.helperId = Repeat(u'a', 46) + kPair;  // 48 units: the pair would straddle the cut
    request.clientVersion = u"12345678" + kPair;
    LoginRequest back = ReadLogin(BuildLogin(request));
    EXPECT_EQ(back.helperId, Repeat(u'a', 46));
    EXPECT_EQ(back.clientVersion, u"12345678");

    request.helperId = Repeat(u'a', 45) + kPair;  // exactly 47 units: kept whole
    EXPECT_EQ(ReadLogin(BuildLogin(request)).helperId, request.helperId);
}

TEST(ReportCustomerRecord, ConnectionNumberStraddlesOffsetTwo) {
    ReportCustomer report;
    report.connectionNumber = 0x11223344;
    Bytes record = BuildReportCustomer(report);
    EXPECT_EQ(U16At(record, 0), MSG_REPORT_CUSTOMER);
    EXPECT_EQ(record[2], 0x44);
    EXPECT_EQ(record[3], 0x33);
    EXPECT_EQ(record[4], 0x22);
    EXPECT_EQ(record[5], 0x11);
    EXPECT_TRUE(AllZero(record, 6, 128));

    report.connectionNumber = -2;
    EXPECT_EQ(ReadReportCustomer(BuildReportCustomer(report)).connectionNumber, -2);
}

TEST(ReportCustomerRecord, FullSlotsHaveNoZeroAndReadBackWhole) {
    ReportCustomer report;
    report.connectionNumber = 77;
    report.company = Repeat(u'C', 30);
    report.customerName = Repeat(u'N', 31);
    Bytes record = BuildReportCustomer(report);

    EXPECT_EQ(UnitsAt(record, 6, 30), report.company);        // bytes 6 to 65
    EXPECT_EQ(U16At(record, 66), u'N');                       // the name follows directly
    EXPECT_EQ(UnitsAt(record, 66, 31), report.customerName);  // to the record's last byte

    ReportCustomer back = ReadReportCustomer(record);
    EXPECT_EQ(back.company, report.company);  // 30 units, not running into the name
    EXPECT_EQ(back.customerName, report.customerName);
    EXPECT_EQ(back.connectionNumber, 77);
}

TEST(ReportCustomerRecord, LongTextsAreCutAtTheirSlot) {
    ReportCustomer report;
    report.company = Repeat(u'C', 40);
    report.customerName = Repeat(u'N', 29) + kPair + u"x";  // the pair ends at unit 31
    ReportCustomer back = ReadReportCustomer(BuildReportCustomer(report));
    EXPECT_EQ(back.company, Repeat(u'C', 30));
    EXPECT_EQ(back.customerName, Repeat(u'N', 29) + kPair);

    report.company = Repeat(u'C', 29) + kPair;  // the pair would straddle the slot's end
    EXPECT_EQ(ReadReportCustomer(BuildReportCustomer(report)).company, Repeat(u'C', 29));
}

TEST(ReportContactRecord, SlotsStandAtTheirOffsetsAndFillCompletely) {
    ReportContact report;
    report.email = Repeat(u'e', 30);
    report.phone = Repeat(u'p', 30);
    report.memo = Repeat(u'm', 1024);
    Bytes record = BuildReportContact(report);
    ASSERT_EQ(record.size(), 2170u);
    EXPECT_EQ(U16At(record, 0), MSG_REPORT_CONTACT);
    EXPECT_EQ(UnitsAt(record, 2, 30), report.email);
    EXPECT_EQ(UnitsAt(record, 62, 30), report.phone);
    EXPECT_EQ(UnitsAt(record, 122, 1024), report.memo);

    ReportContact back = ReadReportContact(record);
    EXPECT_EQ(back.email, report.email);
    EXPECT_EQ(back.phone, report.phone);
    EXPECT_EQ(back.memo, report.memo);

    report.memo = Repeat(u'm', 5000);
    EXPECT_EQ(ReadReportContact(BuildReportContact(report)).memo.size(), 1024u);
}

TEST(DeleteCodeRecord, CodeAtOffsetEight) {
    Bytes record = BuildDeleteCode(123456789);
    EXPECT_EQ(U16At(record, 0), MSG_DELETE_CODE);
    EXPECT_TRUE(AllZero(record, 2, 8));
    EXPECT_EQ(U32At(record, 8), 123456789u);
    EXPECT_TRUE(AllZero(record, 12, 128));
    EXPECT_EQ(ReadDeleteCode(BuildDeleteCode(-5)), -5);
}

TEST(LoginReplyRecord, ResultAndDateAtTheirOffsets) {
    Bytes record = BuildLoginReply({LOGIN_EXPIRED, u"2024-03-31"});
    ASSERT_EQ(record.size(), 28u);
    EXPECT_EQ(U16At(record, 0), 0);
    EXPECT_EQ(U16At(record, 2), 6002);
    EXPECT_EQ(UnitsAt(record, 4, 10), u"2024-03-31");
    LoginReply back = ReadLoginReply(record);
    EXPECT_EQ(back.result, LOGIN_EXPIRED);
    EXPECT_EQ(back.dateText, u"2024-03-31");
}

TEST(LoginReplyRecord, MissingReplyReadsAsResultZero) {
    LoginReply reply = ReadLoginReply({});
    EXPECT_EQ(reply.result, 0);
    EXPECT_TRUE(reply.dateText.empty());
}

TEST(LoginReplyRecord, DateFillingItsSlotReadsTwelveUnits) {
    // A server may fill the whole date slot; the reader stops at the record's end.
    Bytes record(28, 0);
    for (size_t i = 0; i < 12; ++i) record[4 + 2 * i] = static_cast<uint8_t>('0' + i % 10);
    EXPECT_EQ(ReadLoginReply(record).dateText, u"012345678901");
}

TEST(AccountInfoRecord, FieldsStandAtTheirOffsets) {
    AccountInfo info;
    info.todayConnections = -7;
    info.companyName = u"Example Co.";
    info.helperName = u"Hanako";
    info.customerUrl = u"https://c.example/";
    info.linkUrl1 = u"https://l1.example/";
    info.linkUrl2 = u"https://l2.example/";
    Bytes record = BuildAccountInfo(info);
    ASSERT_EQ(record.size(), 492u);
    EXPECT_TRUE(AllZero(record, 0, 8));
    EXPECT_EQ(U32At(record, 8), static_cast<uint32_t>(-7));
    EXPECT_EQ(UnitsAt(record, 12, 11), info.companyName);
    EXPECT_EQ(UnitsAt(record, 108, 6), info.helperName);
    EXPECT_EQ(UnitsAt(record, 204, 18), info.customerUrl);
    EXPECT_EQ(UnitsAt(record, 300, 19), info.linkUrl1);
    EXPECT_EQ(UnitsAt(record, 396, 19), info.linkUrl2);

    AccountInfo back = ReadAccountInfo(record);
    EXPECT_EQ(back.todayConnections, -7);
    EXPECT_EQ(back.companyName, info.companyName);
    EXPECT_EQ(back.helperName, info.helperName);
    EXPECT_EQ(back.customerUrl, info.customerUrl);
    EXPECT_EQ(back.linkUrl1, info.linkUrl1);
    EXPECT_EQ(back.linkUrl2, info.linkUrl2);
}

TEST(AccountInfoRecord, LastSlotFilledWithoutZeroStopsAtRecordEnd) {
    Bytes record(492, 0);
    for (size_t i = 396; i < 492; i += 2) record[i] = 'z';
    EXPECT_EQ(ReadAccountInfo(record).linkUrl2, Repeat(u'z', 48));
}

TEST(CodeCreatedRecord, CodeAtOffsetEight) {
    Bytes record = BuildCodeCreated(4321);
    EXPECT_EQ(U16At(record, 0), MSG_CODE_CREATED);
    EXPECT_EQ(U32At(record, 8), 4321u);
    EXPECT_EQ(ReadCodeCreated(record), 4321);
    EXPECT_EQ(ReadCodeCreated(BuildCodeCreated(-1)), -1);
}

TEST(CodeStatusRecord, FieldsStandAtTheirOffsetsAndRoundTrip) {
    CodeStatus status;
    status.state = 2;
    status.code = 1234567;
    status.connectionNumber = 99;
    status.firstAddress = u"203.0.113.5";
    status.secondAddress = u"10.0.0.8";
    status.timeText = u"2024-05-06 07:08:09";
    status.osCode = 14;
    Bytes record = BuildCodeStatus(status);
    EXPECT_EQ(U16At(record, 0), 7000);
    EXPECT_EQ(U16At(record, 2), 2);
    EXPECT_TRUE(AllZero(record, 4, 8));
    EXPECT_EQ(U32At(record, 8), 1234567u);
    EXPECT_EQ(U32At(record, 12), 99u);
    EXPECT_EQ(UnitsAt(record, 16, 11), status.firstAddress);
    EXPECT_EQ(UnitsAt(record, 48, 8), status.secondAddress);
    EXPECT_EQ(UnitsAt(record, 80, 19), status.timeText);
    EXPECT_EQ(U16At(record, 120), 14);
    EXPECT_TRUE(AllZero(record, 122, 128));

    CodeStatus back = ReadCodeStatus(record);
    EXPECT_EQ(back.state, 2);
    EXPECT_EQ(back.code, 1234567);
    EXPECT_EQ(back.connectionNumber, 99);
    EXPECT_EQ(back.firstAddress, status.firstAddress);
    EXPECT_EQ(back.secondAddress, status.secondAddress);
    EXPECT_EQ(back.timeText, status.timeText);
    EXPECT_EQ(back.osCode, 14);
}

TEST(CodeStatusRecord, ShortReceiveLeavesLaterFieldsEmpty) {
    CodeStatus status;
    status.state = 2;
    status.code = 555;
    status.connectionNumber = 8;
    status.firstAddress = u"198.51.100.1";
    status.secondAddress = u"192.0.2.1";
    status.timeText = u"12:00";
    status.osCode = 8;
    Bytes full = BuildCodeStatus(status);

    // Exactly the received bytes, no zero-filled tail: a reader that looked
    // past them would be caught by the address sanitizer.
    Bytes cut(full.begin(), full.begin() + 16);
    CodeStatus back = ReadCodeStatus(cut);
    EXPECT_EQ(back.state, 2);
    EXPECT_EQ(back.code, 555);
    EXPECT_EQ(back.connectionNumber, 8);
    EXPECT_TRUE(back.firstAddress.empty());
    EXPECT_TRUE(back.secondAddress.empty());
    EXPECT_TRUE(back.timeText.empty());
    EXPECT_EQ(back.osCode, 0);
}

TEST(CodeStatusRecord, ReceiveEndingInsideAFieldReadsTheMissingBytesAsZero) {
    CodeStatus status;
    status.code = 0x01020304;
    status.firstAddress = u"abcdef";
    Bytes full = BuildCodeStatus(status);

    Bytes cut(full.begin(), full.begin() + 10);  // two bytes of the code
    EXPECT_EQ(ReadCodeStatus(cut).code, 0x0304);

    cut.assign(full.begin(), full.begin() + 16 + 5);  // 2.5 units of the address
    EXPECT_EQ(ReadCodeStatus(cut).firstAddress, u"ab" + std::u16string(1, u'c'));
}

TEST(CodeStatusRecord, FullTextSlotsDoNotRunIntoTheirNeighbours) {
    Bytes record(128, 0);
    record[0] = 0x58;
    record[1] = 0x1B;
    for (size_t i = 16; i < 48; i += 2) record[i] = 'A';
    for (size_t i = 48; i < 80; i += 2) record[i] = 'B';
    for (size_t i = 80; i < 120; i += 2) record[i] = 'T';
    record[120] = 3;
    CodeStatus back = ReadCodeStatus(record);
    EXPECT_EQ(back.firstAddress, Repeat(u'A', 16));
    EXPECT_EQ(back.secondAddress, Repeat(u'B', 16));
    EXPECT_EQ(back.timeText, Repeat(u'T', 20));
    EXPECT_EQ(back.osCode, 3);
}

TEST(CodeStatusRecord, ServerTextsKeepTheirZeroUnit) {
    CodeStatus status;
    status.firstAddress = Repeat(u'A', 20);
    status.timeText = Repeat(u'T', 25);
    CodeStatus back = ReadCodeStatus(BuildCodeStatus(status));
    EXPECT_EQ(back.firstAddress, Repeat(u'A', 15));
    EXPECT_EQ(back.timeText, Repeat(u'T', 19));
}

TEST(RecordWriter, WritesOutsideTheRecordAreClipped) {
    RecordWriter writer(6);
    writer.PutU32(4, 0xAABBCCDD);                  // only two bytes fit
    writer.PutU16(6, 0xFFFF);                      // nothing fits
    writer.PutText(2, 10, u"xyz", SlotEnd::Full);  // a slot larger than the record
    const Bytes& bytes = writer.bytes();
    ASSERT_EQ(bytes.size(), 6u);
    EXPECT_EQ(bytes, (Bytes{0, 0, 'x', 0, 'y', 0}));

    RecordWriter tiny(3);
    tiny.PutText(1, 4, u"ab", SlotEnd::Full);  // one whole unit fits, not a half one
    EXPECT_EQ(tiny.bytes(), (Bytes{0, 'a', 0}));
}

TEST(RecordReader, ReadsNothingPastTheBytesGiven) {
    const uint8_t bytes[] = {'h', 0, 'i', 0, 0, 0, 0x34, 0x12, 0x78};
    RecordReader reader(std::span<const uint8_t>(bytes, sizeof bytes));
    EXPECT_EQ(reader.Text(0, 100), u"hi");  // stops at the slot's zero unit...
    EXPECT_EQ(reader.Text(0, 1), u"h");     // ...or at the slot's end
    EXPECT_EQ(reader.U16(6), 0x1234);
    EXPECT_EQ(reader.U16(8), 0x78);
    EXPECT_EQ(reader.U32(6), 0x781234u);
    EXPECT_EQ(reader.U32(9), 0u);
    EXPECT_EQ(reader.Text(6, 100), std::u16string(u"\x1234\x0078"));  // ...or at the bytes' end
    EXPECT_EQ(reader.Text(1000, 4), u"");
    EXPECT_EQ(reader.U32(static_cast<size_t>(-1)), 0u);
}
