#pragma once
// The three clocks that make every request end: setting up a connection
// (name lookup included), silence while waiting for the server, and the
// request as a whole. Each expiry is reported once with its reason.
#include <functional>
#include <string>

#include "platform/WindowTimer.h"

namespace zelvo::http {

class TRequestTimers {
public:
    using Expired = std::function<void(const std::string& reason)>;

    explicit TRequestTimers(Expired onExpired);

    // Limits in milliseconds; 0 switches that clock off.
    unsigned ConnectLimit = 30000;
    unsigned SilenceLimit = 60000;
    unsigned RequestLimit = 300000;

    void RequestStarted();  // the whole-request clock and the connection clock
    void Connecting();      // a new connection is being set up (relocation)
    void Connected();       // the connection is up: now silence counts
    void DataReceived();    // any byte restarts the silence clock
    void Stop();

    // "60 s", "0.25 s": how a limit is named in a reason.
    static std::string Seconds(unsigned ms);

private:
    static void Arm(platform::WindowTimer& timer, unsigned ms);

    Expired onExpired_;
    platform::WindowTimer connect_;
    platform::WindowTimer silence_;
    platform::WindowTimer request_;
};

}  // namespace zelvo::http
