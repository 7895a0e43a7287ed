#pragma once
// A small TCP server on loopback (127.0.0.1 unless told) for network tests: it runs on its own
// thread with plain system sockets, so it never shares the message loop with
// the code under test. Connections are served one after another by the
// test's handler.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Text.h"
#include "support/ChildProcess.h"

namespace zelvo::testing {

class LoopbackServer {
public:
    // One accepted connection, as the handler sees it.
    class Conn {
    public:
        Conn(int fd, LoopbackServer& server) : fd_(fd), server_(server) {}

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
                ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
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

        int Fd() const { return fd_; }

    private:
        static std::size_t ContentLength(const std::string& header) {
            const std::string lower = platform::AsciiLower(header);
            std::size_t p = lower.find("\r\ncontent-length: ");
            return p == std::string::npos ? 0 : std::strtoul(lower.c_str() + p + 18, nullptr, 10);
        }

        // False at end of stream, on error or when the server stops.
        bool ReadSome(std::string& into) {
            while (!server_.stop_) {
                pollfd p{fd_, POLLIN, 0};
                int rc = ::poll(&p, 1, 100);
                if (rc < 0 && errno != EINTR)
                    return false;
                if (rc <= 0)
                    continue;
                char buf[65536];
                ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
                if (n <= 0)
                    return false;
                into.append(buf, static_cast<std::size_t>(n));
                return true;
            }
            return false;
        }

        int fd_;
        LoopbackServer& server_;
    };

    using Handler = std::function<void(Conn&)>;

    // address: another loopback address (127.0.0.2 and up answer on Linux)
    // for tests that need a second host.
    explicit LoopbackServer(Handler handler, const char* address = "127.0.0.1")
        : handler_(std::move(handler)) {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        if (::inet_pton(AF_INET, address, &addr.sin_addr) != 1)
            std::abort();
        addr.sin_port = 0;
        if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listenFd_, 16) != 0)
            std::abort();
        socklen_t len = sizeof addr;
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Run(); });
    }

    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        ::close(listenFd_);
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
    static std::uint16_t ClosedPort() { return FreeLoopbackPort(); }

private:
    void Record(const std::string& request) {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }

    void Run() {
        while (!stop_) {
            pollfd p{listenFd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++connections_;
            Conn conn(fd, *this);
            handler_(conn);
            ::close(fd);
        }
    }

    Handler handler_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace zelvo::testing
