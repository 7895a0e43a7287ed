#pragma once
// Process-wide state that the configuration dialog sets and the ticker reads,
// and the copy's identity that picks its settings section.
#include <string>

#include "config/SettingsSchema.h"

namespace zelvo::config {

struct TLiveSettings {
    int ScrollStep = 2;          // characters per scroll tick
    int RetrievalInterval = 15;  // minutes
    int AutoTimeOut = 4;         // hours, 0 for never
    bool AutoRetrievalOn = true;
    std::string PageReading = settings::PageReading.Default;  // "Headlines" or "Classic"
    bool SmoothScroll = true;    // pixels between the character steps
    bool BorderOn = false;       // "Border", read once at process start
    int InstanceNumber = 0;      // 1..3
    std::string InstanceSuffix;  // "", "2" or "3"

    // "Zelvo" + InstanceSuffix: this copy's own section.
    std::string Section() const { return settings::kBaseSection + InstanceSuffix; }
};

TLiveSettings& Live();

// The product name, which is also the base section of the store.
inline constexpr const char* kProductName = settings::kBaseSection;

}  // namespace zelvo::config
