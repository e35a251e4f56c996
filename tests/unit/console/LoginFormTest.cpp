#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "console/LoginForm.h"
#include "support/TempDir.h"

using ostiva::LoginForm;
using ostiva::Profile;
using ostiva::Settings;
using ostiva::StringId;

namespace {

class LoginFormTest : public ::testing::Test {
  protected:
    std::string File() const { return dir_.File("info.dat"); }
    Settings MakeSettings() const { return Settings(Profile(File())); }
    LoginForm MakeForm() const { return LoginForm(MakeSettings()); }
    void Write(const std::string& text) const { TempDir::Write(File(), text); }
    std::string Read() const { return TempDir::Read(File()); }

    TempDir dir_;
};

TEST(LoginFormTrim, RemovesEveryKindOfSpaceFromBothEndsOnly) {
    EXPECT_EQ(LoginForm::Trim(u"  helper01\t\r\n"), u"helper01");
    EXPECT_EQ(LoginForm::Trim(u"\u3000\u00A0id\u2003\u2028"), u"id");
    EXPECT_EQ(LoginForm::Trim(u"\v\f\u0085\u1680\u202F\u205F\u2000x\u200A"), u"x");
    EXPECT_EQ(LoginForm::Trim(u" two words "), u"two words");
    EXPECT_EQ(LoginForm::Trim(u" \t\u3000 "), u"");
    // Not white space: zero-width space, byte-order mark, a letter.
    EXPECT_EQ(LoginForm::Trim(u"\u200Bid\uFEFF"), u"\u200Bid\uFEFF");
}

TEST_F(LoginFormTest, EmptyIdOrPasswordIsRefusedAndNothingIsWritten) {
    struct Case {
        std::u16string id;
        std::u16string password;
        StringId refusal;
    };
    const Case cases[] = {
        {u"", u"pw", StringId::EnterId},
        {u"   ", u"", StringId::EnterId},  // the ID is checked first
        {u"\t\u3000", u" ", StringId::EnterId},
        {u"helper", u"", StringId::EnterPassword},
        {u"helper", u" \t ", StringId::EnterPassword},
    };
    for (const Case& c : cases) {
        LoginForm form = MakeForm();
        const LoginForm::Submission submission = form.Submit(c.id, c.password, true, true);
        ASSERT_TRUE(submission.refusal.has_value());
        EXPECT_EQ(*submission.refusal, c.refusal);
    }
    EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(LoginFormTest, AttemptWritesIdPasswordAndFlagsInOrder) {
    LoginForm form = MakeForm();
    const LoginForm::Submission submission = form.Submit(u" helper01 ", u"\tsecret ", true, true);
    EXPECT_FALSE(submission.refusal.has_value());
    EXPECT_EQ(submission.id, u"helper01");
    EXPECT_EQ(submission.password, u"secret");
    EXPECT_EQ(form.id(), u"helper01");
    EXPECT_EQ(Read(), "[helper]\nid=helper01\npw=secret\nsavepw=1\nautologin=1\n");
    EXPECT_EQ(form.Finish(true), ostiva::kLoginSucceeded);
    EXPECT_EQ(Read(), "[helper]\nid=helper01\npw=secret\nsavepw=1\nautologin=1\n");
}

TEST_F(LoginFormTest, UntickedSavePasswordKeepsTheStoredPassword) {
    Write("[helper]\nid=old\npw=stored\nsavepw=1\nautologin=1\n");
    LoginForm form = MakeForm();
    form.Submit(u"new", u"typed", false, false);
    EXPECT_EQ(Read(), "[helper]\nid=new\npw=stored\nsavepw=0\nautologin=0\n");
    // And the next dialog does not fill it in.
    EXPECT_EQ(MakeForm().Open().password, u"");
}

TEST_F(LoginFormTest, FailedLoginTurnsAutomaticLoginOff) {
    LoginForm form = MakeForm();
    form.Submit(u"helper", u"pw", true, true);
    EXPECT_EQ(form.Finish(false), ostiva::kLoginFailed);
    EXPECT_EQ(MakeSettings().AutoLogin(), 0);
    EXPECT_EQ(MakeSettings().SavePassword(), 1);
    const LoginForm::Opening next = MakeForm().Open();
    EXPECT_FALSE(next.loginAtOnce);
    EXPECT_FALSE(next.autoLogin);
    EXPECT_EQ(next.password, u"pw");
}

TEST_F(LoginFormTest, OpeningFillsInByTheTwoFlags) {
    struct Case {
        const char* file;
        std::u16string password;
        bool savePassword;
        bool autoLogin;
        bool atOnce;
    };
    const Case cases[] = {
        {"savepw=1\nautologin=0\n", u"pw1", true, false, false},
        {"savepw=0\nautologin=1\n", u"", false, true, false},
        {"savepw=1\nautologin=1\n", u"pw1", true, true, true},
        {"", u"", false, false, false},
        // Only 1 counts.
        {"savepw=2\nautologin=1\n", u"", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Write(std::string("[helper]\nid= spaced\npw=pw1\n") + c.file);
        const LoginForm::Opening opening = MakeForm().Open();
        EXPECT_EQ(opening.id, u"spaced");  // the file's own white space is not kept
        EXPECT_EQ(opening.password, c.password);
        EXPECT_EQ(opening.savePassword, c.savePassword);
        EXPECT_EQ(opening.autoLogin, c.autoLogin);
        EXPECT_EQ(opening.loginAtOnce, c.atOnce);
    }
}

TEST_F(LoginFormTest, TitleCarriesTheServerVersion) {
    EXPECT_EQ(MakeForm().Open().title, u"Ostiva Manager (Ver:unknown)");
    Write("[server]\nversion=1.2.3.4.5.6x\n");  // 12: the login dialog reads up to 47
    EXPECT_EQ(MakeForm().Open().title, u"Ostiva Manager (Ver:1.2.3.4.5.6x)");
    Write("[server]\nversion=" + std::string(60, 'v') + "\n");
    EXPECT_EQ(MakeForm().Open().title, u"Ostiva Manager (Ver:" + std::u16string(47, u'v') + u")");
    // A version with a conversion in it is text, not a format.
    EXPECT_EQ(LoginForm::Title(u"%s%d"), u"Ostiva Manager (Ver:%s%d)");
    EXPECT_EQ(LoginForm::Title(std::u16string(400, u'x')).size(), 255u);
}

}  // namespace
