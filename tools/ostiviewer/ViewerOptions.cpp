#include "ViewerOptions.h"

#include "settings/SettingsKeys.h"
#include "util/Utf.h"

namespace ostiva::viewer {

std::vector<std::pair<std::string, int>> ReadViewerOptions(const std::string& path) {
    // The same reader and key declarations as the console's settings dialog,
    // which writes these keys.
    const Settings settings{Profile(path)};
    std::vector<std::pair<std::string, int>> options;
    auto add = [&](std::u16string_view name, int value) {
        options.emplace_back(ToUtf8(name), value);
    };
    add(keys::kViewOnly.name, settings.ViewOnly());
    add(keys::kAutoRecord.name, settings.AutoRecord());
    add(keys::kFitWindow.name, settings.FitWindow());
    add(keys::kScaleNumerator.name, settings.ScaleNumerator());
    add(keys::kScaleDenominator.name, settings.ScaleDenominator());
    add(keys::kEightBit.name, settings.EightBit());
    add(keys::kQuality.name, settings.Quality());
    add(keys::kCompressLevel.name, settings.CompressLevel());
    return options;
}

}  // namespace ostiva::viewer
