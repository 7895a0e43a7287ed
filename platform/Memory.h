#pragma once
// Hints to the system about how the program's own memory will be used.
#include <cstddef>

namespace zelvo::platform {

// The block [data, data + size) is about to be filled from start to end and
// is large: the system may back it with large pages, so that filling it does
// not stop at every small page. A hint only; nothing changes for the caller.
void AdviseLargeFill(void* data, std::size_t size);

}  // namespace zelvo::platform
