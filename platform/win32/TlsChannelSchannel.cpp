#include "platform/win32/SchannelSession.h"
#include "platform/win32/TlsChannel.h"

namespace zelvo::platform::win32 {

std::unique_ptr<TlsChannel> OpenTlsChannel(std::uintptr_t socket, const std::string& serverName) {
    return std::make_unique<TlsChannelOver<SchannelSession>>(socket, serverName);
}

}  // namespace zelvo::platform::win32
