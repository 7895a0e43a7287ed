#pragma once
// A small TCP server on loopback (127.0.0.1 unless told) for network tests: it runs on its own
// thread with plain system sockets, so it never shares the message loop with
// the code under test. Connections are served one after another by the
// test's handler.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Text.h"
#include "support/TestNet.h"
#ifndef _WIN32
#include "support/ChildProcess.h"
#endif

namespace zelvo::testing {

class LoopbackServer {
public:
    // One accepted connection, as the handler sees it.
    class Conn {
    public:
        Conn(net::Fd fd, LoopbackServer& server) : fd_(fd), server_(server) {}

        // Reads one request: the header up to its blank line and, when it
        // announces a Content-Length, that many body bytes. Recorded for the
        // test to inspect.
        std::string ReadRequest() {
            std::string data;
            std::size_t headerEnd;
            while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
                if (!ReadSome(data))
                    break;
            }
            if (headerEnd != std::string::npos) {
                std::size_t want = headerEnd + 4 + ContentLength(data.substr(0, headerEnd));
                while (data.size() < want && ReadSome(data)) {
                }
            }
            server_.Record(data);
            return data;
        }

        bool Write(std::string_view bytes) {
            while (!bytes.empty()) {
                int n = net::Send(fd_, bytes.data(), bytes.size());
                if (n <= 0)
                    return false;
                bytes.remove_prefix(static_cast<std::size_t>(n));
            }
            return true;
        }

        // Waits until the client closes its side (or the server stops).
        void WaitForPeerClose() {
            std::string sink;
            while (ReadSome(sink)) {
            }
        }

        net::Fd Fd() const { return fd_; }

    private:
        static std::size_t ContentLength(const std::string& header) {
            const std::string lower = platform::AsciiLower(header);
            std::size_t p = lower.find("\r\ncontent-length: ");
            return p == std::string::npos ? 0 : std::strtoul(lower.c_str() + p + 18, nullptr, 10);
        }

        // False at end of stream, on error or when the server stops.
        bool ReadSome(std::string& into) {
            while (!server_.stop_) {
                int rc = net::WaitReadable(fd_, 100);
                if (rc < 0)
                    return false;
                if (rc == 0)
                    continue;
                char buf[65536];
                int n = net::Recv(fd_, buf, sizeof buf);
                if (n <= 0)
                    return false;
                into.append(buf, static_cast<std::size_t>(n));
                return true;
            }
            return false;
        }

        net::Fd fd_;
        LoopbackServer& server_;
    };

    using Handler = std::function<void(Conn&)>;

    // address: another loopback address (127.0.0.2 and up answer on Linux)
    // for tests that need a second host.
    explicit LoopbackServer(Handler handler, const char* address = "127.0.0.1")
        : handler_(std::move(handler)) {
        listenFd_ = net::Listen(address, &port_);
        if (listenFd_ < 0)
            std::abort();
        thread_ = std::thread([this] { Run(); });
    }

    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        net::Close(listenFd_);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    std::vector<std::string> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    int Connections() const { return connections_; }

    // A loopback port that nothing listens on (bound, read and released).
#ifdef _WIN32
    static std::uint16_t ClosedPort() {
        return net::FreePort();
    }
#else
    static std::uint16_t ClosedPort() {
        return FreeLoopbackPort();
    }
#endif

private:
    void Record(const std::string& request) {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }

    void Run() {
        while (!stop_) {
            if (net::WaitReadable(listenFd_, 100) <= 0)
                continue;
            net::Fd fd = net::Accept(listenFd_);
            if (fd < 0)
                continue;
            ++connections_;
            Conn conn(fd, *this);
            handler_(conn);
            net::Close(fd);
        }
    }

    Handler handler_;
    net::Fd listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace zelvo::testing
