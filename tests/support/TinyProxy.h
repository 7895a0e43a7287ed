#pragma once
// tinyproxy on loopback, accepting only 127.0.0.1 and allowing CONNECT to
// any port; configuration, log and pid in a private folder:
//
//   zelvo::testing::TinyProxy proxy;
//   ASSERT_TRUE(proxy.Running()) << proxy.Log();
//   client.SetProxy("127.0.0.1"); client.SetProxyPort(proxy.PortText());
//
// The proxy stops when the object goes.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace zelvo::testing {

class TinyProxy {
public:
    TinyProxy() {
        for (int attempt = 0; attempt < 5 && !running_; ++attempt) {
            port_ = FreeLoopbackPort();
            const std::string d = dir_.Path();
            // No ConnectPort line: CONNECT may reach every port.
            std::ofstream(dir_ / "tinyproxy.conf", std::ios::trunc)
                << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 60\nMaxClients 16\n"
                << "LogFile \"" << d << "/tinyproxy.log\"\nLogLevel Info\nPidFile \"" << d
                << "/tinyproxy.pid\"\nAllow 127.0.0.1\nDisableViaHeader Yes\n";
            process_.Start({"tinyproxy", "-d", "-c", dir_ / "tinyproxy.conf"}, dir_ / "stderr.log");
            running_ = WaitForLoopbackPort(port_, process_);
            if (!running_)
                process_.Stop();
        }
    }

    bool Running() const { return running_; }
    std::uint16_t Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }
    std::string Log() const {
        std::ifstream in(dir_ / "tinyproxy.log");
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    TempDir dir_;
    ChildProcess process_;
    bool running_ = false;
    std::uint16_t port_ = 0;
};

}  // namespace zelvo::testing
