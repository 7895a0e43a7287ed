#pragma once
// nginx on loopback for tests and benchmarks, run as the current user with
// its configuration, pid, logs and temporary files in a private folder:
//
//   zelvo::testing::NginxServer::Options o;
//   o.root = dir.Path();                    // the files it serves
//   o.tls = certs.Good();                   // optional: also serve https
//   o.extra = "location /old { return 301 https://127.0.0.1:$https_port/; }";
//   zelvo::testing::NginxServer nginx(o);
//   ASSERT_TRUE(nginx.Running()) << nginx.Log();
//   nginx.HttpPort(), nginx.HttpsPort()     // ports on 127.0.0.1
//
// `extra` goes inside both server blocks; "$https_port" and "$http_port" in
// it are replaced by the ports. The server stops when the object goes.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TlsCertificates.h"

namespace zelvo::testing {

class NginxServer {
public:
    struct Options {
        std::string root;
        TlsCertificates::KeyPair tls;  // empty cert: no https server
        std::string extra;
    };

    explicit NginxServer(const Options& options) {
        // A port taken between choosing and binding makes nginx stop at
        // once; another pair is tried.
        for (int attempt = 0; attempt < 5 && !running_; ++attempt) {
            httpPort_ = FreeLoopbackPort();
            httpsPort_ = options.tls.cert.empty() ? 0 : FreeLoopbackPort();
            if (httpsPort_ == httpPort_)
                continue;
            WriteConfig(options);
            std::ofstream(dir_ / "error.log", std::ios::trunc).close();
            process_.Start({"nginx", "-p", dir_.Path() + "/", "-c", dir_ / "nginx.conf", "-e",
                            dir_ / "error.log"},
                           dir_ / "stderr.log");
            running_ = WaitForLoopbackPort(httpPort_, process_) &&
                       (httpsPort_ == 0 || WaitForLoopbackPort(httpsPort_, process_));
            if (!running_)
                process_.Stop();
        }
    }

    bool Running() const { return running_; }
    std::uint16_t HttpPort() const { return httpPort_; }
    std::uint16_t HttpsPort() const { return httpsPort_; }
    // What nginx said, for a failing assertion's message.
    std::string Log() const { return Read(dir_ / "stderr.log") + Read(dir_ / "error.log"); }

private:
    void WriteConfig(const Options& o) {
        const std::string d = dir_.Path();
        std::string extra = Replace(Replace(o.extra, "$https_port", std::to_string(httpsPort_)),
                                    "$http_port", std::to_string(httpPort_));
        std::ostringstream c;
        // As root the workers would otherwise become an unprivileged user that
        // cannot read a private temporary folder.
        if (::geteuid() == 0)
            c << "user root;\n";
        c << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
          << "pid " << d << "/nginx.pid;\nerror_log " << d << "/error.log warn;\n"
          << "events { worker_connections 64; }\n"
          << "http {\n  access_log off;\n  default_type application/octet-stream;\n"
          << "  sendfile on;\n"
          << "  client_body_temp_path " << d << "/body;\n  proxy_temp_path " << d << "/proxy;\n"
          << "  fastcgi_temp_path " << d << "/fastcgi;\n  uwsgi_temp_path " << d << "/uwsgi;\n"
          << "  scgi_temp_path " << d << "/scgi;\n"
          << "  server {\n    listen 127.0.0.1:" << httpPort_ << ";\n    root " << o.root
          << ";\n    " << extra << "\n  }\n";
        if (httpsPort_ != 0)
            c << "  server {\n    listen 127.0.0.1:" << httpsPort_ << " ssl;\n    root " << o.root
              << ";\n    ssl_certificate " << o.tls.cert << ";\n    ssl_certificate_key "
              << o.tls.key << ";\n    " << extra << "\n  }\n";
        c << "}\n";
        std::ofstream(dir_ / "nginx.conf", std::ios::trunc) << c.str();
    }

    static std::string Replace(std::string s, const std::string& what, const std::string& with) {
        for (std::size_t p = s.find(what); p != std::string::npos;
             p = s.find(what, p + with.size()))
            s.replace(p, what.size(), with);
        return s;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempDir dir_;
    ChildProcess process_;
    bool running_ = false;
    std::uint16_t httpPort_ = 0;
    std::uint16_t httpsPort_ = 0;
};

}  // namespace zelvo::testing
