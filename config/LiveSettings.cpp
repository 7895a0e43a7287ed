#include "config/LiveSettings.h"

namespace zelvo::config {

TLiveSettings& Live() {
    static TLiveSettings settings;
    return settings;
}

}  // namespace zelvo::config
