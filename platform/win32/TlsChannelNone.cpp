#include "platform/win32/TlsChannel.h"

namespace zelvo::platform::win32 {

std::unique_ptr<TlsChannel> OpenTlsChannel(std::uintptr_t, const std::string&) {
    return nullptr;
}

}  // namespace zelvo::platform::win32
