#pragma once
// What CoreApplication keeps of the system's loop, shared by the core and
// the windowed application.
#include "platform/CoreApplication.h"

namespace zelvo::platform {

struct CoreApplication::Toolkit {
    int exitCode = 0;
};

}  // namespace zelvo::platform
