// The two login answers the console reads before its session starts: the
// login reply and the account. Each reader is checked against a plain
// model of its layout (little-endian fields, text slots up to their first
// zero unit, missing bytes read as zero), against a zero-padded and an
// over-long copy of the same bytes, and through a build and a read again.
// The expiry date then goes through the message the technician sees.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "session/Records.h"
#include "util/StringTable.h"
#include "util/Utf.h"

using namespace ostiva;
using namespace ostiva::wire;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

uint8_t ByteAt(ByteView bytes, size_t offset) {
    return offset < bytes.size() ? bytes[offset] : 0;
}

uint32_t U32At(ByteView bytes, size_t offset) {
    return uint32_t(ByteAt(bytes, offset)) | uint32_t(ByteAt(bytes, offset + 1)) << 8 |
           uint32_t(ByteAt(bytes, offset + 2)) << 16 | uint32_t(ByteAt(bytes, offset + 3)) << 24;
}

std::u16string TextAt(ByteView bytes, size_t offset, size_t units) {
    std::u16string text;
    for (size_t i = 0; i < units; ++i) {
        char16_t unit =
            char16_t(ByteAt(bytes, offset + 2 * i) | ByteAt(bytes, offset + 2 * i + 1) << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

// What a slot that keeps its zero unit gives back after a build.
std::u16string Kept(const std::u16string& text, size_t units) {
    return std::u16string(CutUtf16(text, units - 1));
}

bool Same(const AccountInfo& a, const AccountInfo& b) {
    return a.todayConnections == b.todayConnections && a.companyName == b.companyName &&
           a.helperName == b.helperName && a.customerUrl == b.customerUrl &&
           a.linkUrl1 == b.linkUrl1 && a.linkUrl2 == b.linkUrl2;
}

void CheckLoginReply(ByteView bytes) {
    LoginReply reply = ReadLoginReply(bytes);
    Check(reply.result == uint16_t(ByteAt(bytes, 2) | ByteAt(bytes, 3) << 8));
    Check(reply.dateText == TextAt(bytes, 4, kLoginReplyDateUnits));
    Check(reply.dateText.size() <= kLoginReplyDateUnits);

    std::vector<uint8_t> padded(bytes.begin(), bytes.end());
    padded.resize(std::max(padded.size(), kLoginReplySize), 0);
    LoginReply fromPadded = ReadLoginReply(padded);
    Check(fromPadded.result == reply.result && fromPadded.dateText == reply.dateText);
    padded.resize(kLoginReplySize);
    padded.push_back(0x41);  // bytes past the record are never read
    padded.push_back(0x00);
    LoginReply fromLonger = ReadLoginReply(padded);
    Check(fromLonger.result == reply.result && fromLonger.dateText == reply.dateText);

    Bytes built = BuildLoginReply(reply);
    Check(built.size() == kLoginReplySize);
    LoginReply again = ReadLoginReply(built);
    Check(again.result == reply.result);
    Check(again.dateText == Kept(reply.dateText, kLoginReplyDateUnits));

    // The expiry message carries the date exactly as received, "%" and all.
    std::u16string_view pattern = EnglishText(StringId::AccountExpired);
    size_t mark = pattern.find(u"%s");
    Check(mark != std::u16string_view::npos);
    std::u16string expected(pattern.substr(0, mark));
    expected += reply.dateText;
    expected += pattern.substr(mark + 2);
    Check(FormatMessageText(StringId::AccountExpired, reply.dateText) == expected);
}

void CheckAccountInfo(ByteView bytes) {
    AccountInfo info = ReadAccountInfo(bytes);
    Check(uint32_t(info.todayConnections) == U32At(bytes, 8));
    Check(info.companyName == TextAt(bytes, 12, kAccountTextUnits));
    Check(info.helperName == TextAt(bytes, 108, kAccountTextUnits));
    Check(info.customerUrl == TextAt(bytes, 204, kAccountTextUnits));
    Check(info.linkUrl1 == TextAt(bytes, 300, kAccountTextUnits));
    Check(info.linkUrl2 == TextAt(bytes, 396, kAccountTextUnits));

    std::vector<uint8_t> padded(bytes.begin(), bytes.end());
    padded.resize(std::max(padded.size(), kAccountInfoSize), 0);
    Check(Same(ReadAccountInfo(padded), info));
    padded.resize(kAccountInfoSize);
    padded.push_back(0x41);
    padded.push_back(0x00);
    Check(Same(ReadAccountInfo(padded), info));

    Bytes built = BuildAccountInfo(info);
    Check(built.size() == kAccountInfoSize);
    AccountInfo expected = info;
    expected.companyName = Kept(info.companyName, kAccountTextUnits);
    expected.helperName = Kept(info.helperName, kAccountTextUnits);
    expected.customerUrl = Kept(info.customerUrl, kAccountTextUnits);
    expected.linkUrl1 = Kept(info.linkUrl1, kAccountTextUnits);
    expected.linkUrl2 = Kept(info.linkUrl2, kAccountTextUnits);
    Check(Same(ReadAccountInfo(built), expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteView bytes(data, size);
    CheckLoginReply(bytes);
    CheckAccountInfo(bytes);
    return 0;
}
