#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "console/SettingsForm.h"
#include "support/TempDir.h"

using ostiva::Profile;
using ostiva::Settings;
using ostiva::SettingsForm;

namespace {

using Proxy = SettingsForm::ProxyControls;
const Proxy kNoProxy{false, false, false, false, false};
const Proxy kManual{true, true, false, true, true};
const Proxy kAutomatic{true, false, true, true, false};
const Proxy kAsBuilt{false, false, false, true, true};

class SettingsFormTest : public ::testing::Test {
  protected:
    std::string File() const { return dir_.File("info.dat"); }
    Settings MakeSettings() const { return Settings(Profile(File())); }
    void Write(const std::string& text) const { TempDir::Write(File(), text); }
    std::string Read() const { return TempDir::Read(File()); }

    SettingsForm Loaded(const std::string& text) const {
        Write(text);
        SettingsForm form;
        form.Load(MakeSettings());
        return form;
    }

    TempDir dir_;
};

TEST_F(SettingsFormTest, NoFileOpensWithTheDefaultsAndSaveWritesEveryKeyInOrder) {
    SettingsForm form;
    form.Load(MakeSettings());
    EXPECT_FALSE(form.savePassword);
    EXPECT_FALSE(form.autoLogin);
    EXPECT_EQ(form.proxy, kNoProxy);
    EXPECT_EQ(form.proxyPort, u"0");
    EXPECT_EQ(form.proxyAddress, u"");
    EXPECT_TRUE(form.controlAtStart);
    EXPECT_FALSE(form.autoRecording);
    EXPECT_EQ(form.scaleItem, 0);
    EXPECT_EQ(form.qualityItem, 0);

    Settings settings = MakeSettings();
    form.Save(settings);
    // A new file takes the keys in the order they are written.
    EXPECT_EQ(
        Read(),
        "[helper]\nsavepw=0\nautologin=0\n"
        "[proxy]\nuse=0\naddr=\nport=0\nid=\npw=\n"
        "[options]\nviewonly=0\nautorec=0\nfitwindow=1\n8bit=0\nquality=3\ncompresslevel=3\n");
}

TEST_F(SettingsFormTest, EveryScaleRowLoadsAndSaves) {
    struct Row {
        int item;
        int num;
        int den;
    };
    const Row rows[] = {{1, 1, 4}, {2, 1, 2}, {3, 3, 4}, {4, 1, 1}, {5, 5, 4}, {6, 3, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        SettingsForm form = Loaded("[options]\nfitwindow=0\nscale_num=" + std::to_string(row.num) +
                                   "\nscale_den=" + std::to_string(row.den) + "\n");
        EXPECT_EQ(form.scaleItem, row.item);

        // Saved from another stored scale, the item writes its own pair.
        Write("[options]\nfitwindow=1\nscale_num=9\nscale_den=9\n");
        Settings settings = MakeSettings();
        form.Save(settings);
        EXPECT_EQ(settings.FitWindow(), 0);
        EXPECT_EQ(settings.ScaleNumerator(), row.num);
        EXPECT_EQ(settings.ScaleDenominator(), row.den);
    }
}

TEST_F(SettingsFormTest, AutoScaleWritesFitWindowOnlyAndKeepsTheFixedScale) {
    SettingsForm form = Loaded("[options]\nfitwindow=0\nscale_num=3\nscale_den=4\n");
    ASSERT_EQ(form.scaleItem, 3);
    form.scaleItem = 0;
    Settings settings = MakeSettings();
    form.Save(settings);
    EXPECT_EQ(settings.FitWindow(), 1);
    EXPECT_EQ(settings.ScaleNumerator(), 3);
    EXPECT_EQ(settings.ScaleDenominator(), 4);
}

TEST_F(SettingsFormTest, ScaleSelectionFollowsFitWindowAndThePair) {
    // Only fitwindow 1 means Auto; anything else selects by the pair.
    EXPECT_EQ(SettingsForm::ScaleItemFor(1, 2, 3), 0);
    EXPECT_EQ(SettingsForm::ScaleItemFor(2, 1, 1), 4);
    EXPECT_EQ(SettingsForm::ScaleItemFor(-1, 1, 4), 1);
    EXPECT_EQ(SettingsForm::ScaleItemFor(0, 2, 3), std::nullopt);
    EXPECT_EQ(SettingsForm::ScaleItemFor(0, 4, 1), std::nullopt);  // the pair reversed

    SettingsForm form = Loaded("[options]\nfitwindow=2\nscale_num=1\nscale_den=1\n");
    EXPECT_EQ(form.scaleItem, 4);
}

TEST_F(SettingsFormTest, UnknownScaleShowsNoItemAndSaveLeavesTheThreeKeys) {
    const std::string options = "[options]\nfitwindow=0\nscale_num=2\nscale_den=3\n";
    SettingsForm form = Loaded(options);
    EXPECT_EQ(form.scaleItem, std::nullopt);
    Settings settings = MakeSettings();
    form.Save(settings);
    const std::string file = Read();
    EXPECT_EQ(file.rfind(options, 0), 0u) << file;  // untouched, still at the start
    EXPECT_EQ(settings.FitWindow(), 0);
    EXPECT_EQ(settings.ScaleNumerator(), 2);
    EXPECT_EQ(settings.ScaleDenominator(), 3);
}

TEST_F(SettingsFormTest, EveryQualityRowLoadsAndSaves) {
    struct Row {
        int item;
        const char* stored;
        int eightBit;
        int quality;
    };
    const Row rows[] = {
        {0, "8bit=0\nquality=3\ncompresslevel=3\n", 0, 3},
        {1, "8bit=1\nquality=3\ncompresslevel=3\n", 1, 3},
        {2, "8bit=0\nquality=6\ncompresslevel=6\n", 0, 6},
        // "8bit" is looked at first.
        {1, "8bit=1\nquality=6\ncompresslevel=6\n", 1, 3},
        // Both must be 6.
        {0, "8bit=0\nquality=6\ncompresslevel=5\n", 0, 3},
        {0, "8bit=0\nquality=5\ncompresslevel=6\n", 0, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        SettingsForm form = Loaded(std::string("[options]\n") + row.stored);
        EXPECT_EQ(form.qualityItem, row.item);
        Settings settings = MakeSettings();
        form.Save(settings);
        EXPECT_EQ(settings.EightBit(), row.eightBit);
        EXPECT_EQ(settings.Quality(), row.quality);
        EXPECT_EQ(settings.CompressLevel(), row.quality);
    }
}

TEST_F(SettingsFormTest, NoQualityItemWritesNoneOfItsKeys) {
    SettingsForm form = Loaded("[options]\n8bit=0\nquality=5\ncompresslevel=4\n");
    form.qualityItem.reset();
    Settings settings = MakeSettings();
    form.Save(settings);
    EXPECT_EQ(settings.Quality(), 5);
    EXPECT_EQ(settings.CompressLevel(), 4);
}

TEST_F(SettingsFormTest, ProxyModesLoadIntoTheirControlStates) {
    SettingsForm manual = Loaded("[proxy]\nuse=1\naddr=proxy.lan\nport=3128\nid=me\npw=secret\n");
    EXPECT_EQ(manual.proxy, kManual);
    EXPECT_EQ(manual.proxyAddress, u"proxy.lan");
    EXPECT_EQ(manual.proxyPort, u"3128");
    EXPECT_EQ(manual.proxyId, u"me");
    EXPECT_EQ(manual.proxyPassword, u"secret");

    // The texts are shown in every mode; only the enabled state differs.
    SettingsForm automatic = Loaded("[proxy]\nuse=2\naddr=proxy.lan\nport=-8\n");
    EXPECT_EQ(automatic.proxy, kAutomatic);
    EXPECT_EQ(automatic.proxyAddress, u"proxy.lan");
    EXPECT_EQ(automatic.proxyPort, u"-8");

    SettingsForm none = Loaded("[proxy]\nuse=0\nport=abc\n");
    EXPECT_EQ(none.proxy, kNoProxy);
    EXPECT_EQ(none.proxyPort, u"0");
}

TEST_F(SettingsFormTest, UnknownProxyModeKeepsTheControlsAsBuiltAndSavesZero) {
    SettingsForm form = Loaded("[proxy]\nuse=3\n");
    EXPECT_EQ(form.proxy, kAsBuilt);
    Settings settings = MakeSettings();
    form.Save(settings);
    EXPECT_EQ(settings.ProxyMode(), 0);
}

TEST_F(SettingsFormTest, CheckedWithoutARadioWritesNoMode) {
    SettingsForm form = Loaded("[proxy]\nuse=2\n");
    form.proxy = {true, false, false, true, true};
    Settings settings = MakeSettings();
    form.Save(settings);
    EXPECT_EQ(settings.ProxyMode(), 2);
    EXPECT_NE(Read().find("use=2"), std::string::npos);
}

TEST(SettingsFormClicks, EachClickGivesItsMode) {
    struct Case {
        const char* what;
        Proxy before;
        void (SettingsForm::*click)(bool);
        bool nowChecked;
        Proxy after;
    };
    const Case cases[] = {
        {"check Use from none", kNoProxy, &SettingsForm::OnUseProxy, true, kManual},
        {"check Use from as built", kAsBuilt, &SettingsForm::OnUseProxy, true, kManual},
        {"clear Use from automatic", kAutomatic, &SettingsForm::OnUseProxy, false, kNoProxy},
        {"Manual checked", kAutomatic, &SettingsForm::OnManual, true, kManual},
        {"Manual cleared", kManual, &SettingsForm::OnManual, false, kAutomatic},
        {"Automatic checked", kManual, &SettingsForm::OnAutomatic, true, kAutomatic},
        {"Automatic cleared", kAutomatic, &SettingsForm::OnAutomatic, false, kManual},
        {"Automatic from as built", kAsBuilt, &SettingsForm::OnAutomatic, true, kAutomatic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsForm form;
        form.proxy = c.before;
        form.proxyAddress = u"kept";
        (form.*c.click)(c.nowChecked);
        EXPECT_EQ(form.proxy, c.after);
        EXPECT_EQ(form.proxyAddress, u"kept");
    }

    SettingsForm form;
    form.proxy = kManual;
    form.SetProxyMode(7);
    EXPECT_EQ(form.proxy, kManual);
}

TEST_F(SettingsFormTest, DefaultThenSaveWritesTheDefaultValuesAndKeepsTheProxyTexts) {
    SettingsForm form = Loaded(
        "[helper]\nsavepw=0\nautologin=1\n"
        "[proxy]\nuse=1\naddr=proxy.lan\nport=3128\nid=me\npw=secret\n"
        "[options]\nviewonly=1\nautorec=1\nfitwindow=0\nscale_num=5\nscale_den=4\n"
        "8bit=1\nquality=3\ncompresslevel=3\n");
    form.Default();
    EXPECT_EQ(form.proxy, kNoProxy);
    Settings settings = MakeSettings();
    form.Save(settings);
    EXPECT_EQ(Read(),
              "[helper]\nsavepw=1\nautologin=0\n"
              "[proxy]\nuse=0\naddr=proxy.lan\nport=3128\nid=me\npw=secret\n"
              "[options]\nviewonly=0\nautorec=0\nfitwindow=1\nscale_num=5\nscale_den=4\n"
              "8bit=0\nquality=3\ncompresslevel=3\n");
}

TEST_F(SettingsFormTest, TextsAreSavedAsTypedAndThePortReadsBackAsANumber) {
    SettingsForm form = Loaded("");
    form.SetProxyMode(1);
    form.proxyAddress = u" proxy.lan ";
    form.proxyPort = u"80a";
    Settings settings = MakeSettings();
    form.Save(settings);
    EXPECT_EQ(settings.ProxyMode(), 1);
    EXPECT_EQ(settings.ProxyPort(), 80);
    EXPECT_NE(Read().find("addr= proxy.lan \n"), std::string::npos);  // untrimmed
    EXPECT_NE(Read().find("port=80a\n"), std::string::npos);

    form.proxyPort.clear();
    form.Save(settings);
    EXPECT_NE(Read().find("port=\n"), std::string::npos);
    SettingsForm reopened;
    reopened.Load(settings);
    EXPECT_EQ(reopened.proxyPort, u"0");
}

TEST_F(SettingsFormTest, FlagsShowTickedOnlyForOne) {
    SettingsForm form =
        Loaded("[helper]\nsavepw=2\nautologin=1\n[options]\nviewonly=2\nautorec=-1\n");
    EXPECT_FALSE(form.savePassword);
    EXPECT_TRUE(form.autoLogin);
    EXPECT_FALSE(form.controlAtStart);  // only 0 ticks the inverted box
    EXPECT_FALSE(form.autoRecording);
}

}  // namespace
