#pragma once
// The values of the settings dialog's controls, and every rule that moves
// them: opening from the settings file, the three proxy clicks, Default and
// Save. The Qt dialog only copies these values to and from its widgets, so
// the rules can be checked without a window.
//
// The proxy controls have three states (SetProxyMode) and a fourth one, the
// state the dialog is built in: all clear and all enabled. A file holding a
// proxy mode other than 0, 1 or 2 leaves the controls in that fourth state.

#include <array>
#include <optional>
#include <string>

#include "settings/SettingsKeys.h"

namespace ostiva {

class SettingsForm {
  public:
    // The Screen Scale items, in the combo box's order ("Auto", "25" ... "150").
    static constexpr int kScaleItems = 7;
    // The Quality/Speed items ("Auto", "Speed First", "Quality First").
    static constexpr int kQualityItems = 3;

    // What one Screen Scale item stands for. Item 0 ("Auto") writes only
    // fitwindow 1 and leaves the stored fixed scale alone.
    struct ScaleEntry {
        const char16_t* text;
        bool fitWindow;
        int numerator;
        int denominator;
    };
    // What one Quality/Speed item stands for; "compresslevel" always takes
    // the value of "quality".
    struct QualityEntry {
        const char16_t* text;
        bool eightBit;
        int quality;
    };
    static const std::array<ScaleEntry, kScaleItems> kScaleTable;
    static const std::array<QualityEntry, kQualityItems> kQualityTable;

    struct ProxyControls {
        bool useProxy = false;
        bool manual = false;
        bool automatic = false;
        bool radiosEnabled = true;
        bool editsEnabled = true;  // the four proxy edit boxes
        bool operator==(const ProxyControls&) const = default;
    };

    // "Login" group.
    bool savePassword = false;
    bool autoLogin = false;

    // "Proxy Server" group; the texts are kept whatever the mode.
    ProxyControls proxy;
    std::u16string proxyAddress;
    std::u16string proxyPort;  // as typed; any text
    std::u16string proxyId;
    std::u16string proxyPassword;

    // "Viewer" group. Control at the start is the inverse of "viewonly".
    bool controlAtStart = false;
    bool autoRecording = false;
    std::optional<int> scaleItem;    // nothing: the box shows no item
    std::optional<int> qualityItem;  // nothing: the box shows no item

    // Reads every control's value from the file, as the dialog does when it
    // opens.
    void Load(const Settings& settings);

    // Puts the proxy controls into mode 0 (no proxy), 1 (manual) or 2
    // (automatic); any other mode leaves them as they are.
    void SetProxyMode(int mode);

    // The clicks, each given the state the clicked control has now.
    void OnUseProxy(bool nowChecked);
    void OnManual(bool nowChecked);
    void OnAutomatic(bool nowChecked);

    // The Default button: sets the controls only; the proxy texts stay.
    void Default();

    // The Save button: writes the keys in their fixed order. A failed write
    // does not stop the others.
    void Save(Settings& settings) const;

    // The Screen Scale item a stored scale selects: 0 for fitwindow 1, the
    // item of the pair for any other fitwindow, nothing for another pair.
    static std::optional<int> ScaleItemFor(int fitWindow, int numerator, int denominator);
    // The Quality/Speed item: "8bit" 1 first, then quality and compression
    // both 6, else "Auto".
    static int QualityItemFor(int eightBit, int quality, int compressLevel);
};

}  // namespace ostiva
