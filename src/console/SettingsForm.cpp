#include "console/SettingsForm.h"

#include <string>

namespace ostiva {

namespace {

// A flag shows as a ticked box only when it holds 1, the value every reader
// of the file acts on; anything else shows clear and is saved as "0".
bool Ticked(int flag) {
    return flag == 1;
}

std::u16string Decimal(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

const std::array<SettingsForm::ScaleEntry, SettingsForm::kScaleItems> SettingsForm::kScaleTable = {{
    {u"Auto", true, 0, 0},
    {u"25", false, 1, 4},
    {u"50", false, 1, 2},
    {u"75", false, 3, 4},
    {u"100", false, 1, 1},
    {u"125", false, 5, 4},
    {u"150", false, 3, 2},
}};

const std::array<SettingsForm::QualityEntry, SettingsForm::kQualityItems>
    SettingsForm::kQualityTable = {{
        {u"Auto", false, 3},
        {u"Speed First", true, 3},
        {u"Quality First", false, 6},
    }};

std::optional<int> SettingsForm::ScaleItemFor(int fitWindow, int numerator, int denominator) {
    if (fitWindow == 1) return 0;
    for (int item = 1; item < kScaleItems; ++item) {
        const ScaleEntry& entry = kScaleTable[item];
        if (entry.numerator == numerator && entry.denominator == denominator) return item;
    }
    return std::nullopt;
}

int SettingsForm::QualityItemFor(int eightBit, int quality, int compressLevel) {
    if (eightBit == 1) return 1;
    if (compressLevel == 6 && quality == 6) return 2;
    return 0;
}

void SettingsForm::Load(const Settings& settings) {
    savePassword = Ticked(settings.SavePassword());
    autoLogin = Ticked(settings.AutoLogin());

    const int mode = settings.ProxyMode();
    proxyAddress = settings.ProxyAddress();
    proxyPort = Decimal(settings.ProxyPort());
    proxyId = settings.ProxyId();
    proxyPassword = settings.ProxyPassword();
    SetProxyMode(mode);

    const int compressLevel = settings.CompressLevel();
    const int quality = settings.Quality();
    const int eightBit = settings.EightBit();
    qualityItem = QualityItemFor(eightBit, quality, compressLevel);

    const int fitWindow = settings.FitWindow();
    const int denominator = settings.ScaleDenominator();
    const int numerator = settings.ScaleNumerator();
    scaleItem = ScaleItemFor(fitWindow, numerator, denominator);

    controlAtStart = settings.ViewOnly() == 0;
    autoRecording = Ticked(settings.AutoRecord());
}

void SettingsForm::SetProxyMode(int mode) {
    switch (mode) {
        case 0:
            proxy = {false, false, false, false, false};
            break;
        case 1:
            proxy = {true, true, false, true, true};
            break;
        case 2:
            proxy = {true, false, true, true, false};
            break;
        default:
            break;
    }
}

void SettingsForm::OnUseProxy(bool nowChecked) {
    // Checking the box always starts in manual mode.
    SetProxyMode(nowChecked ? 1 : 0);
}

void SettingsForm::OnManual(bool nowChecked) {
    SetProxyMode(nowChecked ? 1 : 2);
}

void SettingsForm::OnAutomatic(bool nowChecked) {
    SetProxyMode(nowChecked ? 2 : 1);
}

void SettingsForm::Default() {
    savePassword = true;
    autoLogin = false;
    SetProxyMode(0);
    controlAtStart = true;
    autoRecording = false;
    scaleItem = 0;
    qualityItem = 0;
}

void SettingsForm::Save(Settings& settings) const {
    settings.SetSavePassword(savePassword);
    settings.SetAutoLogin(autoLogin);

    if (!proxy.useProxy) {
        settings.SetProxyMode(0);
    } else if (proxy.manual) {
        settings.SetProxyMode(1);
    } else if (proxy.automatic) {
        settings.SetProxyMode(2);
    }
    // Checked with neither radio writes no mode: the stored one stays. (The
    // clicks never leave the box checked without a radio.)
    settings.SetProxyAddress(proxyAddress);
    settings.SetProxyPort(proxyPort);
    settings.SetProxyId(proxyId);
    settings.SetProxyPassword(proxyPassword);

    settings.SetViewOnly(!controlAtStart);
    settings.SetAutoRecord(autoRecording);

    if (scaleItem && *scaleItem >= 0 && *scaleItem < kScaleItems) {
        const ScaleEntry& entry = kScaleTable[*scaleItem];
        settings.SetFitWindow(entry.fitWindow);
        if (!entry.fitWindow) {
            settings.SetScaleNumerator(entry.numerator);
            settings.SetScaleDenominator(entry.denominator);
        }
    }
    if (qualityItem && *qualityItem >= 0 && *qualityItem < kQualityItems) {
        const QualityEntry& entry = kQualityTable[*qualityItem];
        settings.SetEightBit(entry.eightBit);
        settings.SetQuality(entry.quality);
        settings.SetCompressLevel(entry.quality);
    }
}

}  // namespace ostiva
