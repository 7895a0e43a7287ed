// Host lookups. The system resolver may block for seconds, so the
// asynchronous lookup runs it on a worker thread; the answer is handed back to
// the main thread through the toolkit's queue and only there touches the
// caller's entry and posts the completion, so the program itself stays on one
// thread.
#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"

namespace zelvo::platform {
namespace {

std::mutex resolverMutex;
HostResolver currentResolver;  // empty: the system's

HostResolver ActiveResolver() {
    std::lock_guard lock(resolverMutex);
    if (currentResolver)
        return currentResolver;
    return &SystemResolve;
}

class LookupService : public QObject {
public:
    static LookupService& Get() {
        // Lives as long as the process: a worker still running at exit hands
        // its answer to an object that is still there.
        static LookupService* service = new LookupService;
        return *service;
    }

    HANDLE Start(HWND wnd, UINT msg, const std::string& name, HOSTENT* result) {
        HANDLE h = next_++;
        Pending& p = pending_[h];
        p.wnd = wnd;
        p.msg = msg;
        p.name = name;
        p.result = result;
        HostResolver resolver = ActiveResolver();
        p.worker = std::thread([this, h, name, resolver = std::move(resolver)] {
            std::vector<std::uint32_t> addrs;
            int error = WSANO_RECOVERY;
            try {
                error = resolver(name, addrs);
            } catch (...) {
            }
            QMetaObject::invokeMethod(
                this, [this, h, error, addrs = std::move(addrs)] { Complete(h, error, addrs); },
                Qt::QueuedConnection);
        });
        return h;
    }

    bool Cancel(HANDLE h) {
        auto it = pending_.find(h);
        if (it == pending_.end())
            return false;
        // The worker finishes on its own; its answer then finds nobody waiting.
        it->second.worker.detach();
        pending_.erase(it);
        return true;
    }

private:
    struct Pending {
        HWND wnd = 0;
        UINT msg = 0;
        std::string name;
        HOSTENT* result = nullptr;
        std::thread worker;
    };

    void Complete(HANDLE h, int error, const std::vector<std::uint32_t>& addrs) {
        auto it = pending_.find(h);
        if (it == pending_.end())
            return;
        Pending p = std::move(it->second);
        pending_.erase(it);
        p.worker.join();  // it has handed over its answer and is returning
        if (error == 0 && p.result != nullptr) {
            p.result->h_name = p.name;
            p.result->h_addr_list = addrs;
        }
        PostMessage(p.wnd, p.msg, h, MakeLParam(0, static_cast<unsigned>(error)));
    }

    std::unordered_map<HANDLE, Pending> pending_;
    HANDLE next_ = 1;
};

}  // namespace

HostResolver SetHostResolver(HostResolver resolver) {
    std::lock_guard lock(resolverMutex);
    return std::exchange(currentResolver, std::move(resolver));
}

HANDLE WSAAsyncGetHostByName(HWND wnd, UINT msg, const std::string& name, HOSTENT* result) {
    if (QCoreApplication::instance() == nullptr) {
        WSASetLastError(WSASYSNOTREADY);
        return 0;
    }
    try {
        return LookupService::Get().Start(wnd, msg, name, result);
    } catch (const std::system_error&) {
        WSASetLastError(WSAENOBUFS);  // no thread could be started
        return 0;
    }
}

int WSACancelAsyncRequest(HANDLE request) {
    if (!LookupService::Get().Cancel(request)) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    return 0;
}

const HOSTENT* gethostbyname(const std::string& name) {
    thread_local HOSTENT result;
    std::vector<std::uint32_t> addrs;
    int error = ActiveResolver()(name, addrs);
    if (error != 0) {
        WSASetLastError(error);
        return nullptr;
    }
    result.h_name = name;
    result.h_addr_list = std::move(addrs);
    return &result;
}

}  // namespace zelvo::platform
