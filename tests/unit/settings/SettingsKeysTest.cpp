#include <gtest/gtest.h>

#include <string>

#include "settings/SettingsKeys.h"
#include "support/TempDir.h"

using ostiva::kDefaultServerHost;
using ostiva::Profile;
using ostiva::Settings;

TEST(Settings, NoFileGivesEveryDefault) {
    TempDir dir;
    Settings settings(Profile(dir.File("info.dat")));
    EXPECT_EQ(settings.ServerAddress(), kDefaultServerHost);  // whole, though longer than 19
    EXPECT_EQ(settings.ServerPort(), 80);
    EXPECT_EQ(settings.ServerVersionForMainWindow(), u"unknown");
    EXPECT_EQ(settings.ServerVersionForLogin(), u"unknown");
    EXPECT_EQ(settings.HelperId(), u"");
    EXPECT_EQ(settings.HelperPassword(), u"");
    EXPECT_EQ(settings.SavePassword(), 0);
    EXPECT_EQ(settings.AutoLogin(), 0);
    EXPECT_EQ(settings.ClientVersion(), u"1.0.0");
    EXPECT_EQ(settings.ProxyMode(), 0);
    EXPECT_EQ(settings.ProxyAddress(), u"");
    EXPECT_EQ(settings.ProxyPort(), 0);
    EXPECT_EQ(settings.ProxyId(), u"");
    EXPECT_EQ(settings.ProxyPassword(), u"");
    EXPECT_EQ(settings.ViewOnly(), 0);
    EXPECT_EQ(settings.AutoRecord(), 0);
    EXPECT_EQ(settings.FitWindow(), 1);
    EXPECT_EQ(settings.ScaleNumerator(), 1);
    EXPECT_EQ(settings.ScaleDenominator(), 1);
    EXPECT_EQ(settings.EightBit(), 0);
    EXPECT_EQ(settings.Quality(), 3);
    EXPECT_EQ(settings.CompressLevel(), 3);
}

TEST(Settings, CapacitiesCutLongStoredValues) {
    TempDir dir;
    TempDir::Write(dir.File("info.dat"),
                   "[server]\n"
                   "svr_addr=abcdefghij.klmnopq.rstu\n"  // 25 characters
                   "version=1.2.3.4.5.6x\n"              // 12 characters
                   "[helper]\n"
                   "version=0123456789AB\n");
    Settings settings(Profile(dir.File("info.dat")));
    EXPECT_EQ(settings.ServerAddress(), u"abcdefghij.klmnopq.");  // 19
    EXPECT_EQ(settings.ServerVersionForMainWindow(), u"1.2.3.4.5");
    EXPECT_EQ(settings.ServerVersionForLogin(), u"1.2.3.4.5.6x");
    EXPECT_EQ(settings.ClientVersion(), u"012345678");
}

TEST(Settings, LongPasswordIsWrittenWholeAndReadBackCut) {
    TempDir dir;
    Settings settings(Profile(dir.File("info.dat")));
    std::u16string typed;
    for (int i = 0; i < 60; ++i) typed.push_back(static_cast<char16_t>(u'A' + i % 26));
    ASSERT_TRUE(settings.SetProxyPassword(typed));
    std::string file = TempDir::Read(dir.File("info.dat"));
    EXPECT_NE(file.find("pw=" + std::string(typed.begin(), typed.end()) + "\n"), std::string::npos);
    EXPECT_EQ(settings.ProxyPassword(), typed.substr(0, 47));
}

TEST(Settings, PortAsTypedReadsAsItsNumber) {
    TempDir dir;
    Settings settings(Profile(dir.File("info.dat")));
    ASSERT_TRUE(settings.SetProxyPort(u""));
    EXPECT_EQ(settings.ProxyPort(), 0);
    ASSERT_TRUE(settings.SetProxyPort(u"8080"));
    EXPECT_EQ(settings.ProxyPort(), 8080);
    ASSERT_TRUE(settings.SetProxyPort(u"proxy"));
    EXPECT_EQ(settings.ProxyPort(), 0);
    EXPECT_EQ(TempDir::Read(dir.File("info.dat")), "[proxy]\nport=proxy\n");
}

TEST(Settings, FlagsAreWrittenAsZeroOrOneAndReadRaw) {
    TempDir dir;
    std::string path = dir.File("info.dat");
    Settings settings{Profile(path)};
    ASSERT_TRUE(settings.SetHelperId(u"tech01"));
    ASSERT_TRUE(settings.SetSavePassword(true));
    ASSERT_TRUE(settings.SetAutoLogin(false));
    ASSERT_TRUE(settings.SetViewOnly(false));
    ASSERT_TRUE(settings.SetFitWindow(false));
    ASSERT_TRUE(settings.SetScaleNumerator(3));
    ASSERT_TRUE(settings.SetScaleDenominator(4));
    ASSERT_TRUE(settings.SetQuality(6));
    EXPECT_EQ(TempDir::Read(path),
              "[helper]\n"
              "id=tech01\n"
              "savepw=1\n"
              "autologin=0\n"
              "[options]\n"
              "viewonly=0\n"
              "fitwindow=0\n"
              "scale_num=3\n"
              "scale_den=4\n"
              "quality=6\n");
    EXPECT_EQ(settings.SavePassword(), 1);
    EXPECT_EQ(settings.FitWindow(), 0);

    TempDir::Write(path, "[options]\nfitwindow=2\n[helper]\nsavepw=7\n");
    EXPECT_EQ(settings.FitWindow(), 2);  // handed on as it is
    EXPECT_EQ(settings.SavePassword(), 7);
}

TEST(Settings, ReadsSeeEveryChangeOfTheFile) {
    TempDir dir;
    std::string path = dir.File("info.dat");
    Settings settings{Profile(path)};
    TempDir::Write(path, "[proxy]\nuse=1\n");
    EXPECT_EQ(settings.ProxyMode(), 1);
    TempDir::Write(path, "[proxy]\nuse=2\n");  // another program wrote it meanwhile
    EXPECT_EQ(settings.ProxyMode(), 2);
}
