#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>
#include <string>

#include "util/Exception.h"

using namespace ostiva;

TEST(Exception, MessagesAreCompleteInBothWidths) {
    Exception plain(std::u16string_view(u"caf\u00e9"));
    EXPECT_EQ(std::u16string(plain.GetMessageText()), u"caf\u00e9");
    EXPECT_STREQ(plain.what(), "caf\xC3\xA9");
    EXPECT_STREQ(Exception().what(), "");

    IOException io(std::string_view("Failed to recv data from socket."));
    EXPECT_STREQ(io.what(), "Failed to recv data from socket.");
}

TEST(SystemException, TextWithoutFullStopThenCode) {
    SystemException e(5);
    EXPECT_EQ(e.GetErrorCode(), 5);
    EXPECT_STREQ(e.what(), "Input/output error (error code 5)");
    EXPECT_EQ(std::u16string(e.GetSystemErrorMessage()), u"Input/output error (error code 5)");
}

TEST(SystemException, UnknownAndZeroCodes) {
    SystemException unknown(987654);
    EXPECT_STREQ(unknown.what(), "Error code 987654");

    SystemException zero(0);
    const char* fixed =
        "Thrown a system exception but the program cannot identify the corresponding system error.";
    EXPECT_STREQ(zero.what(), fixed);
    EXPECT_EQ(std::u16string(zero.GetSystemErrorMessage()), std::u16string(zero.GetMessageText()));
}

TEST(SocketException, CodesAndTexts) {
    SocketException text(std::string_view("The specified m_addr is not AF_INET family m_addr!"));
    EXPECT_EQ(text.GetErrorCode(), 0);

    SocketException refused = SocketException::FromErrno(ECONNREFUSED);
    EXPECT_EQ(refused.GetErrorCode(), ECONNREFUSED);
    EXPECT_STREQ(refused.what(), "Connection refused");

    // A code the system has no text for still gives a readable message.
    EXPECT_STREQ(SocketException::FromErrno(987654).what(), "Socket error 987654");

    SocketException resolver = SocketException::FromResolver(EAI_NONAME);
    EXPECT_EQ(resolver.GetErrorCode(), EAI_NONAME);
    EXPECT_STRNE(resolver.what(), "");

    errno = EACCES;
    SocketException fromErrno;
    EXPECT_EQ(fromErrno.GetErrorCode(), EACCES);
}
