#pragma once
// Every key of the settings file, declared once with its section, type,
// capacity and default, and the typed accessors through which the rest of
// the console reads and writes them. Values are read from the file at the
// moment they are asked for; nothing is kept.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/Profile.h"

namespace ostiva {

// The session server the console uses when "server"/"svr_addr" is missing.
inline constexpr std::u16string_view kDefaultServerHost = u"session.ostiva.example";

// A text key. `capacity` counts the terminator, as the readers' buffers do:
// a longer value is read cut to capacity - 1 characters.
struct TextKey {
    std::u16string_view section;
    std::u16string_view name;
    size_t capacity;
    std::u16string_view defaultValue;
};

// An integer key, stored as decimal text.
struct IntKey {
    std::u16string_view section;
    std::u16string_view name;
    int defaultValue;
};

// A flag, written as "0" or "1". Read as an integer: a value other than 0 or
// 1 is handed on unchanged.
struct FlagKey {
    std::u16string_view section;
    std::u16string_view name;
    int defaultValue;
};

namespace keys {

// "server": read only; the console never writes it.
inline constexpr TextKey kServerAddress{u"server", u"svr_addr", 20, kDefaultServerHost};
inline constexpr IntKey kServerPort{u"server", u"svr_port", 80};
// One key, read with two capacities: the main window's title and the login
// dialog's.
inline constexpr TextKey kServerVersionForMainWindow{u"server", u"version", 10, u"unknown"};
inline constexpr TextKey kServerVersionForLogin{u"server", u"version", 48, u"unknown"};

// "helper": the technician's own login.
inline constexpr TextKey kHelperId{u"helper", u"id", 48, u""};
inline constexpr TextKey kHelperPassword{u"helper", u"pw", 48, u""};  // plain text
inline constexpr FlagKey kSavePassword{u"helper", u"savepw", 0};
inline constexpr FlagKey kAutoLogin{u"helper", u"autologin", 0};
inline constexpr TextKey kClientVersion{u"helper", u"version", 10, u"1.0.0"};  // read only

// "proxy": 0 no proxy, 1 manual (the four keys below), 2 automatic detection.
inline constexpr IntKey kProxyMode{u"proxy", u"use", 0};
inline constexpr TextKey kProxyAddress{u"proxy", u"addr", 48, u""};
inline constexpr IntKey kProxyPort{u"proxy", u"port", 0};
inline constexpr TextKey kProxyId{u"proxy", u"id", 48, u""};
inline constexpr TextKey kProxyPassword{u"proxy", u"pw", 48, u""};  // plain text

// "options": the viewer's; the console only edits them.
inline constexpr FlagKey kViewOnly{u"options", u"viewonly", 0};
inline constexpr FlagKey kAutoRecord{u"options", u"autorec", 0};
inline constexpr FlagKey kFitWindow{u"options", u"fitwindow", 1};
inline constexpr IntKey kScaleNumerator{u"options", u"scale_num", 1};
inline constexpr IntKey kScaleDenominator{u"options", u"scale_den", 1};
inline constexpr FlagKey kEightBit{u"options", u"8bit", 0};
inline constexpr IntKey kQuality{u"options", u"quality", 3};
inline constexpr IntKey kCompressLevel{u"options", u"compresslevel", 3};

}  // namespace keys

class Settings {
  public:
    explicit Settings(Profile profile = Profile()) : profile_(std::move(profile)) {}

    std::u16string Read(const TextKey& key) const;
    int Read(const IntKey& key) const;
    int Read(const FlagKey& key) const;

    // Writers return whether the file was written; the console's dialogs go
    // on either way.
    bool Write(const TextKey& key, std::u16string_view value);
    bool Write(const IntKey& key, int value);
    // An integer key set to text as the technician typed it (the proxy port).
    bool Write(const IntKey& key, std::u16string_view typed);
    bool Write(const FlagKey& key, bool on);

    std::u16string ServerAddress() const { return Read(keys::kServerAddress); }
    int ServerPort() const { return Read(keys::kServerPort); }
    std::u16string ServerVersionForMainWindow() const {
        return Read(keys::kServerVersionForMainWindow);
    }
    std::u16string ServerVersionForLogin() const { return Read(keys::kServerVersionForLogin); }

    std::u16string HelperId() const { return Read(keys::kHelperId); }
    std::u16string HelperPassword() const { return Read(keys::kHelperPassword); }
    int SavePassword() const { return Read(keys::kSavePassword); }
    int AutoLogin() const { return Read(keys::kAutoLogin); }
    std::u16string ClientVersion() const { return Read(keys::kClientVersion); }

    int ProxyMode() const { return Read(keys::kProxyMode); }
    std::u16string ProxyAddress() const { return Read(keys::kProxyAddress); }
    int ProxyPort() const { return Read(keys::kProxyPort); }
    std::u16string ProxyId() const { return Read(keys::kProxyId); }
    std::u16string ProxyPassword() const { return Read(keys::kProxyPassword); }

    int ViewOnly() const { return Read(keys::kViewOnly); }
    int AutoRecord() const { return Read(keys::kAutoRecord); }
    int FitWindow() const { return Read(keys::kFitWindow); }
    int ScaleNumerator() const { return Read(keys::kScaleNumerator); }
    int ScaleDenominator() const { return Read(keys::kScaleDenominator); }
    int EightBit() const { return Read(keys::kEightBit); }
    int Quality() const { return Read(keys::kQuality); }
    int CompressLevel() const { return Read(keys::kCompressLevel); }

    bool SetHelperId(std::u16string_view id) { return Write(keys::kHelperId, id); }
    bool SetHelperPassword(std::u16string_view pw) { return Write(keys::kHelperPassword, pw); }
    bool SetSavePassword(bool on) { return Write(keys::kSavePassword, on); }
    bool SetAutoLogin(bool on) { return Write(keys::kAutoLogin, on); }
    // What a login attempt keeps, in one write: "id", then "pw" with
    // "savepw" 1 when a password is to be saved (else only "savepw" 0, the
    // stored one stays), then "autologin".
    bool SetHelperLogin(std::u16string_view id, std::optional<std::u16string_view> savedPassword,
                        bool autoLogin);

    bool SetProxyMode(int mode) { return Write(keys::kProxyMode, mode); }
    bool SetProxyAddress(std::u16string_view address) {
        return Write(keys::kProxyAddress, address);
    }
    bool SetProxyPort(std::u16string_view typed) { return Write(keys::kProxyPort, typed); }
    bool SetProxyId(std::u16string_view id) { return Write(keys::kProxyId, id); }
    bool SetProxyPassword(std::u16string_view pw) { return Write(keys::kProxyPassword, pw); }

    bool SetViewOnly(bool on) { return Write(keys::kViewOnly, on); }
    bool SetAutoRecord(bool on) { return Write(keys::kAutoRecord, on); }
    bool SetFitWindow(bool on) { return Write(keys::kFitWindow, on); }
    bool SetScaleNumerator(int value) { return Write(keys::kScaleNumerator, value); }
    bool SetScaleDenominator(int value) { return Write(keys::kScaleDenominator, value); }
    bool SetEightBit(bool on) { return Write(keys::kEightBit, on); }
    bool SetQuality(int value) { return Write(keys::kQuality, value); }
    bool SetCompressLevel(int value) { return Write(keys::kCompressLevel, value); }

    const Profile& profile() const { return profile_; }

  private:
    Profile profile_;
};

}  // namespace ostiva
