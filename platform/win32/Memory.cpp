#include "platform/Memory.h"

namespace zelvo::platform {

// The system gives large pages only to memory asked for with them, by a user
// holding the right to lock pages; memory already allocated takes no advice.
void AdviseLargeFill(void*, std::size_t) {}

}  // namespace zelvo::platform
