#include "http/RequestTimers.h"

#include <cstdio>

namespace zelvo::http {

TRequestTimers::TRequestTimers(Expired onExpired) : onExpired_(std::move(onExpired)) {
    connect_.SetOnTimer([this] {
        Stop();
        onExpired_("Connection timed out");
    });
    silence_.SetOnTimer([this] {
        const std::string limit = Seconds(SilenceLimit);
        Stop();
        onExpired_("No data received for " + limit);
    });
    request_.SetOnTimer([this] {
        const std::string limit = Seconds(RequestLimit);
        Stop();
        onExpired_("Request not done after " + limit);
    });
}

std::string TRequestTimers::Seconds(unsigned ms) {
    char text[32];
    if (ms % 1000 == 0)
        std::snprintf(text, sizeof text, "%u s", ms / 1000);
    else
        std::snprintf(text, sizeof text, "%g s", ms / 1000.0);
    return text;
}

void TRequestTimers::Arm(platform::WindowTimer& timer, unsigned ms) {
    timer.SetEnabled(false);
    if (ms == 0)
        return;
    timer.SetInterval(ms);
    timer.SetEnabled(true);
}

void TRequestTimers::RequestStarted() {
    Arm(request_, RequestLimit);
    Connecting();
}

void TRequestTimers::Connecting() {
    silence_.SetEnabled(false);
    Arm(connect_, ConnectLimit);
}

void TRequestTimers::Connected() {
    connect_.SetEnabled(false);
    Arm(silence_, SilenceLimit);
}

void TRequestTimers::DataReceived() {
    if (silence_.Enabled())
        Arm(silence_, SilenceLimit);
}

void TRequestTimers::Stop() {
    connect_.SetEnabled(false);
    silence_.SetEnabled(false);
    request_.SetEnabled(false);
}

}  // namespace zelvo::http
