#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/ProfileDocument.h"

using ostiva::ProfileDocument;

namespace {

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::optional<std::u16string> Find(std::string_view file, std::u16string_view section,
                                   std::u16string_view key) {
    return ProfileDocument::Parse(file).Find(section, key);
}

// The file after one Set, or "(refused)".
std::string AfterSet(std::string_view file, std::u16string_view section, std::u16string_view key,
                     std::u16string_view value) {
    ProfileDocument document = ProfileDocument::Parse(file);
    if (!document.Set(section, key, value)) return "(refused)";
    return document.Serialize();
}

}  // namespace

TEST(ProfileDocumentParse, GivesBackEveryByteUnchanged) {
    const std::string files[] = {
        "",
        "\n",
        "[server]\r\nsvr_addr=a\r\n",
        "[server]\nsvr_addr=a",  // no final line ending
        "; comment\n\n[helper]\r\nid = x \n\r\n\n",
        "\xEF\xBB\xBF[a]\nk=v\n",
        "[a]\nk=\xFF\xFE\xC0\x80 broken\n\xE3\x81\n",  // not UTF-8
        "\xFF\xFE" + Utf16Le(u"[a]\r\nk=v\r\n"),
        "\xFF\xFE" + Utf16Le(u"[a]\nk=v") + "\x41",  // a stray last byte
        std::string("[a]\nk=v\0w\n", 11),
        "\r\r\n\n\r",
    };
    for (const std::string& file : files) {
        EXPECT_EQ(ProfileDocument::Parse(file).Serialize(), file);
    }
}

TEST(ProfileDocumentFind, NamesMatchWithoutCaseAndWithoutSurroundingSpace) {
    std::string file = "[ Server ]\r\n  SVR_Addr\t=  host.example \r\n";
    EXPECT_EQ(Find(file, u"server", u"svr_addr"), u"host.example");
    EXPECT_EQ(Find(file, u"SERVER", u"SVR_ADDR"), u"host.example");
    EXPECT_EQ(Find(file, u"server", u"svr_port"), std::nullopt);
    EXPECT_EQ(Find(file, u"helper", u"svr_addr"), std::nullopt);
}

TEST(ProfileDocumentFind, ValuesAreTakenAsWritten) {
    std::string file =
        "[p]\n"
        "empty=\n"
        "eq=a=b=c\n"
        "quoted=\"x y\"\n"
        "inner = a  b \n"
        "semi=1 ; not a comment\n";
    EXPECT_EQ(Find(file, u"p", u"empty"), u"");
    EXPECT_EQ(Find(file, u"p", u"eq"), u"a=b=c");
    EXPECT_EQ(Find(file, u"p", u"quoted"), u"\"x y\"");
    EXPECT_EQ(Find(file, u"p", u"inner"), u"a  b");
    EXPECT_EQ(Find(file, u"p", u"semi"), u"1 ; not a comment");
}

TEST(ProfileDocumentFind, LinesThatHoldNoKey) {
    std::string file =
        "id=before any section\n"
        "[helper]\n"
        "; id=commented\n"
        "# id=commented too\n"
        "id\n"
        "=no key\n"
        "[broken\n"
        "pw=found\n";
    EXPECT_EQ(Find(file, u"helper", u"id"), std::nullopt);
    EXPECT_EQ(Find(file, u"helper", u""), std::nullopt);
    EXPECT_EQ(Find(file, u"helper", u"pw"), u"found");  // "[broken" opens no section
}

TEST(ProfileDocumentFind, FirstLineWinsAcrossRepeatedSectionsAndKeys) {
    std::string file =
        "[proxy]\n"
        "use=1\n"
        "use=2\n"
        "[options]\n"
        "addr=not proxy\n"
        "[PROXY]\n"
        "use=3\n"
        "addr=second\n";
    EXPECT_EQ(Find(file, u"proxy", u"use"), u"1");
    EXPECT_EQ(Find(file, u"proxy", u"addr"), u"second");
}

TEST(ProfileDocumentFind, ValueEndsAtAZeroByte) {
    std::string file("[a]\nk=ab\0cd\n", 13);
    EXPECT_EQ(Find(file, u"a", u"k"), u"ab");
}

TEST(ProfileDocumentFind, EncodingsAndMarks) {
    EXPECT_EQ(Find("\xEF\xBB\xBF[a]\nk=v\n", u"a", u"k"), u"v");
    EXPECT_EQ(Find("[a]\nk=\xE6\x97\xA5\xE6\x9C\xAC\n", u"a", u"k"), u"\u65E5\u672C");
    EXPECT_EQ(Find("[a]\nk=\xFF\n", u"a", u"k"), u"\uFFFD");
    std::string utf16 = "\xFF\xFE" + Utf16Le(u"[Server]\r\nversion=\u65E5\u672C\xD83D\xDE00\r\n");
    EXPECT_EQ(Find(utf16, u"server", u"version"), u"\u65E5\u672C\xD83D\xDE00");
    EXPECT_EQ(ProfileDocument::Parse(utf16).encoding(), ProfileDocument::Encoding::Utf16Le);
}

TEST(ProfileDocumentSet, ReplacesOnlyTheValueOfThatLine) {
    std::string file =
        "; settings\r\n"
        "[server]\r\n"
        "svr_addr=old\r\n"
        "\r\n"
        "[helper]\r\n"
        "  ID = someone  \r\n"
        "unknown=kept\n"
        "id=second";
    EXPECT_EQ(AfterSet(file, u"helper", u"id", u"tech"),
              "; settings\r\n"
              "[server]\r\n"
              "svr_addr=old\r\n"
              "\r\n"
              "[helper]\r\n"
              "  ID =tech\r\n"
              "unknown=kept\n"
              "id=second");
    EXPECT_EQ(AfterSet(file, u"server", u"svr_addr", u""),
              "; settings\r\n[server]\r\nsvr_addr=\r\n\r\n[helper]\r\n  ID = someone  \r\n"
              "unknown=kept\nid=second");
}

TEST(ProfileDocumentSet, AddsAKeyAfterTheLastKeyOfTheFirstSection) {
    std::string file =
        "[helper]\n"
        "id=a\n"
        "; about the proxy\n"
        "\n"
        "[proxy]\n"
        "use=0\n"
        "[helper]\n"
        "x=y\n";
    EXPECT_EQ(AfterSet(file, u"helper", u"pw", u"secret"),
              "[helper]\n"
              "id=a\n"
              "pw=secret\n"
              "; about the proxy\n"
              "\n"
              "[proxy]\n"
              "use=0\n"
              "[helper]\n"
              "x=y\n");
    // Into an empty section, right after its header.
    EXPECT_EQ(AfterSet("[options]\n\n[x]\n", u"OPTIONS", u"8bit", u"1"),
              "[options]\n8bit=1\n\n[x]\n");
}

TEST(ProfileDocumentSet, AddsASectionAtTheEndInTheFileOwnLineEndings) {
    EXPECT_EQ(AfterSet("", u"helper", u"id", u"tech"), "[helper]\nid=tech\n");
    EXPECT_EQ(AfterSet("[a]\r\nk=v\r\n", u"proxy", u"port", u""),
              "[a]\r\nk=v\r\n[proxy]\r\nport=\r\n");
    EXPECT_EQ(AfterSet("[a]\r\nk=v", u"b", u"c", u"d"), "[a]\r\nk=v\r\n[b]\r\nc=d\r\n");
    EXPECT_EQ(AfterSet("[a]", u"a", u"k", u"v"), "[a]\nk=v\n");
    // Section and key are written as the caller names them, without their
    // surrounding space.
    EXPECT_EQ(AfterSet("", u" Proxy ", u" Use ", u"1"), "[Proxy]\nUse=1\n");
}

TEST(ProfileDocumentSet, WhatTheFormatCannotHoldIsRefused) {
    const std::string file = "[a]\nk=v\n";
    EXPECT_EQ(AfterSet(file, u"a", u"k", u"line\nbreak"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a", u"k", u"cr\r"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a", u"k", std::u16string(u"z\0z", 3)), "(refused)");
    EXPECT_EQ(AfterSet(file, u"", u"k", u"v"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a", u"  ", u"v"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a]b", u"k", u"v"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a", u"k=x", u"v"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a", u";k", u"v"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a", u"[k]", u"v"), "(refused)");
    EXPECT_EQ(AfterSet(file, u"a\nb", u"k", u"v"), "(refused)");
}

TEST(ProfileDocumentSet, BytesThatAreNotTextSurviveAWriteElsewhere) {
    std::string file = "[a]\nbad=\xC3\x28\xFF\nk=1\n[b]\nz=\xE0\x80\n";
    EXPECT_EQ(AfterSet(file, u"a", u"k", u"2"), "[a]\nbad=\xC3\x28\xFF\nk=2\n[b]\nz=\xE0\x80\n");
    EXPECT_EQ(AfterSet(file, u"c", u"n", u"\u00E9"),
              "[a]\nbad=\xC3\x28\xFF\nk=1\n[b]\nz=\xE0\x80\n[c]\nn=\xC3\xA9\n");
}

TEST(ProfileDocumentSet, Utf16FileStaysUtf16) {
    std::string mark = "\xFF\xFE";
    std::string file = mark + Utf16Le(u"[helper]\r\nid=old\r\n; \u30E1\u30E2\r\n");
    EXPECT_EQ(AfterSet(file, u"helper", u"id", u"\u65B0"),
              mark + Utf16Le(u"[helper]\r\nid=\u65B0\r\n; \u30E1\u30E2\r\n"));
    EXPECT_EQ(AfterSet(file, u"proxy", u"use", u"1"),
              mark + Utf16Le(u"[helper]\r\nid=old\r\n; \u30E1\u30E2\r\n[proxy]\r\nuse=1\r\n"));
    // Without any line ending to copy, a UTF-16LE file gets Windows' own.
    EXPECT_EQ(AfterSet(mark + Utf16Le(u"[a]"), u"a", u"k", u"v"),
              mark + Utf16Le(u"[a]\r\nk=v\r\n"));
}

TEST(ProfileDocumentSet, Utf16FileEndingInAStrayByteTakesNoNewLineAtItsEnd) {
    std::string file = "\xFF\xFE" + Utf16Le(u"[a]\r\nk=v\r\nlast") + "\x41";
    EXPECT_EQ(AfterSet(file, u"b", u"k", u"v"), "(refused)");
    // A key inside the file can still be set, and the stray byte stays.
    EXPECT_EQ(AfterSet(file, u"a", u"k", u"w"),
              "\xFF\xFE" + Utf16Le(u"[a]\r\nk=w\r\nlast") + "\x41");
}

TEST(ProfileDocumentSet, Utf8MarkIsKept) {
    EXPECT_EQ(AfterSet("\xEF\xBB\xBF[a]\nk=v\n", u"a", u"k", u"w"), "\xEF\xBB\xBF[a]\nk=w\n");
}
