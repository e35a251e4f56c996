#pragma once
// A scoped reference to the process's network layer. On this platform the
// socket calls need no start-up, so the reference only counts its holders;
// the count lets tests and diagnostics see that every socket object and
// address value gave its reference back.

namespace ostiva {

class WsaStartup {
  public:
    WsaStartup();
    // A copy is another holder and takes its own reference.
    WsaStartup(const WsaStartup&);
    WsaStartup& operator=(const WsaStartup&) { return *this; }
    virtual ~WsaStartup();

    // The number of references held in the process right now.
    static int ReferenceCount();
};

}  // namespace ostiva
