#pragma once
// The exception family of the core. Every constructor makes the complete
// message at once; `what()` gives it as UTF-8 for logs and the command line.

#include <exception>
#include <string>

#include "util/StringStorage.h"

namespace ostiva {

class Exception : public std::exception {
  public:
    Exception() = default;
    explicit Exception(std::u16string_view message);
    explicit Exception(std::string_view utf8Message);
    ~Exception() override = default;

    const char16_t* GetMessageText() const { return message_.GetString(); }
    const char* what() const noexcept override { return utf8_.c_str(); }

  protected:
    void SetMessage(std::u16string_view message);

  private:
    StringStorage message_;
    std::string utf8_;
};

// A socket call failed (creation, name resolution, options).
class SocketException : public Exception {
  public:
    // Takes the error code from errno and the system's text for it.
    SocketException();
    // The text for a given errno value, or a resolver (EAI_*) failure with
    // `resolver` set.
    static SocketException FromErrno(int code);
    static SocketException FromResolver(int eaiCode);
    explicit SocketException(std::u16string_view message) : Exception(message) {}
    explicit SocketException(std::string_view message) : Exception(message) {}

    int GetErrorCode() const { return errorCode_; }

  private:
    SocketException(int code, std::u16string_view message) : Exception(message), errorCode_(code) {}
    int errorCode_ = 0;
};

// A transfer failed while the socket's raise option is on.
class IOException : public Exception {
  public:
    explicit IOException(std::u16string_view message) : Exception(message) {}
    explicit IOException(std::string_view message) : Exception(message) {}
};

// A process, file or shell operation of the window code failed.
class SystemException : public Exception {
  public:
    explicit SystemException(int code);

    int GetErrorCode() const { return errorCode_; }
    const char16_t* GetSystemErrorMessage() const { return systemMessage_.GetString(); }

  private:
    StringStorage systemMessage_;
    int errorCode_;
};

// The system's English text for an errno value, or an empty text when the
// system has none.
std::string SystemErrorText(int code);

}  // namespace ostiva
