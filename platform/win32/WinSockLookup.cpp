// Host lookups. The system resolver may block for seconds, so the
// asynchronous lookup runs it on a worker thread; the answer comes back to
// the loop's thread through a hidden window and only there touches the
// caller's entry and posts the completion, so the program itself stays on one
// thread.
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"
#include "platform/win32/Win32.h"

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

// What a worker hands back: it owns nothing of the loop's.
struct Answer {
    HANDLE request = 0;
    int error = 0;
    std::vector<std::uint32_t> addrs;
};

class LookupService {
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
        const HWND window = window_.Handle();
        try {
            p.worker = std::thread([this, h, name, window, resolver = std::move(resolver)] {
                Answer answer{h, WSANO_RECOVERY, {}};
                try {
                    answer.error = resolver(name, answer.addrs);
                } catch (...) {
                }
                {
                    std::lock_guard lock(answersMutex_);
                    answers_.push_back(std::move(answer));
                }
                ::PostMessageW(reinterpret_cast<::HWND>(window), kAnswered, 0, 0);
            });
        } catch (...) {
            pending_.erase(h);
            throw;
        }
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
    static constexpr UINT kAnswered = WM_APP;

    struct Pending {
        HWND wnd = 0;
        UINT msg = 0;
        std::string name;
        HOSTENT* result = nullptr;
        std::thread worker;
    };

    LookupService()
        : window_([this](UINT msg, WPARAM, LPARAM) -> LRESULT {
              if (msg == kAnswered)
                  Deliver();
              return 0;
          }) {}

    void Deliver() {
        std::vector<Answer> answers;
        {
            std::lock_guard lock(answersMutex_);
            answers.swap(answers_);
        }
        for (Answer& a : answers)
            Complete(a);
    }

    void Complete(Answer& a) {
        auto it = pending_.find(a.request);
        if (it == pending_.end())
            return;
        Pending p = std::move(it->second);
        pending_.erase(it);
        p.worker.join();  // it has handed over its answer and is returning
        if (a.error == 0 && p.result != nullptr) {
            p.result->h_name = p.name;
            p.result->h_addr_list = std::move(a.addrs);
        }
        PostMessage(p.wnd, p.msg, a.request, MakeLParam(0, static_cast<unsigned>(a.error)));
    }

    std::unordered_map<HANDLE, Pending> pending_;
    HANDLE next_ = 1;
    std::mutex answersMutex_;
    std::vector<Answer> answers_;
    MessageWindow window_;
};

}  // namespace

HostResolver SetHostResolver(HostResolver resolver) {
    std::lock_guard lock(resolverMutex);
    return std::exchange(currentResolver, std::move(resolver));
}

HANDLE WSAAsyncGetHostByName(HWND wnd, UINT msg, const std::string& name, HOSTENT* result) {
    try {
        return LookupService::Get().Start(wnd, msg, name, result);
    } catch (const std::system_error&) {
        ::WSASetLastError(WSAENOBUFS);  // no thread could be started
        return 0;
    }
}

int WSACancelAsyncRequest(HANDLE request) {
    if (!LookupService::Get().Cancel(request)) {
        ::WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    return 0;
}

const HOSTENT* gethostbyname(const std::string& name) {
    thread_local HOSTENT result;
    std::vector<std::uint32_t> addrs;
    const int error = ActiveResolver()(name, addrs);
    if (error != 0) {
        ::WSASetLastError(error);
        return nullptr;
    }
    result.h_name = name;
    result.h_addr_list = std::move(addrs);
    return &result;
}

const SERVENT* getservbyname(const std::string& name, const std::string* proto) {
    thread_local SERVENT result;
    const servent* found =
        ::getservbyname(name.c_str(), proto != nullptr ? proto->c_str() : nullptr);
    if (found == nullptr) {
        ::WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    result.s_name = found->s_name;
    result.s_port = static_cast<std::uint16_t>(found->s_port);
    result.s_proto = found->s_proto != nullptr ? found->s_proto : "";
    return &result;
}

const PROTOENT* getprotobyname(const std::string& name) {
    thread_local PROTOENT result;
    const protoent* found = ::getprotobyname(name.c_str());
    if (found == nullptr) {
        ::WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    result.p_name = found->p_name;
    result.p_proto = static_cast<std::int16_t>(found->p_proto);
    return &result;
}

int SystemResolve(const std::string& name, std::vector<std::uint32_t>& addrs) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    // The system's answer is already a Winsock code.
    if (const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list); rc != 0)
        return rc == WSAHOST_NOT_FOUND || rc == WSATRY_AGAIN || rc == WSANO_DATA ? rc
                                                                                 : WSANO_RECOVERY;
    for (const addrinfo* p = list; p != nullptr; p = p->ai_next) {
        if (p->ai_family != AF_INET || p->ai_addr == nullptr)
            continue;
        const std::uint32_t a = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (const std::uint32_t b : addrs)
            seen = seen || a == b;
        if (!seen)
            addrs.push_back(a);
    }
    ::freeaddrinfo(list);
    return addrs.empty() ? WSANO_DATA : 0;
}

}  // namespace zelvo::platform
