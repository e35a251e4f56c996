#include "settings/SettingsKeys.h"

#include <string>
#include <vector>

namespace ostiva {

std::u16string Settings::Read(const TextKey& key) const {
    return profile_.GetString(key.section, key.name, key.defaultValue, key.capacity);
}

int Settings::Read(const IntKey& key) const {
    return profile_.GetInt(key.section, key.name, key.defaultValue);
}

int Settings::Read(const FlagKey& key) const {
    return profile_.GetInt(key.section, key.name, key.defaultValue);
}

bool Settings::Write(const TextKey& key, std::u16string_view value) {
    return profile_.WriteString(key.section, key.name, value);
}

bool Settings::Write(const IntKey& key, int value) {
    std::string digits = std::to_string(value);
    return profile_.WriteString(key.section, key.name,
                                std::u16string(digits.begin(), digits.end()));
}

bool Settings::Write(const IntKey& key, std::u16string_view typed) {
    return profile_.WriteString(key.section, key.name, typed);
}

bool Settings::SetHelperLogin(std::u16string_view id,
                              std::optional<std::u16string_view> savedPassword, bool autoLogin) {
    std::vector<ProfileEntry> entries{{keys::kHelperId.section, keys::kHelperId.name, id}};
    if (savedPassword) {
        entries.push_back(
            {keys::kHelperPassword.section, keys::kHelperPassword.name, *savedPassword});
    }
    entries.push_back(
        {keys::kSavePassword.section, keys::kSavePassword.name, savedPassword ? u"1" : u"0"});
    entries.push_back({keys::kAutoLogin.section, keys::kAutoLogin.name, autoLogin ? u"1" : u"0"});
    return profile_.WriteStrings(entries);
}

bool Settings::Write(const FlagKey& key, bool on) {
    return profile_.WriteString(key.section, key.name, on ? u"1" : u"0");
}

}  // namespace ostiva
