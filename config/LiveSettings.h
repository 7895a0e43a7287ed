#pragma once
// Process-wide state that the configuration dialog sets and the ticker reads,
// and the copy's identity that picks its settings section.
#include <string>

#include "config/SettingsSchema.h"

namespace zelvo::config {

// Each value starts as the store's default, so a copy that has not read its
// settings yet behaves as one whose store is empty.
struct TLiveSettings {
    int ScrollStep = settings::CharScroll.Default;                // characters per scroll tick
    int RetrievalInterval = settings::RetrievalInterval.Default;  // minutes
    int AutoTimeOut = settings::AutoTimeOut.Default;              // hours, 0 for never
    bool AutoRetrievalOn = settings::AutoRetrievalOn.Default;
    std::string PageReading = settings::PageReading.Default;  // "Headlines" or "Classic"
    bool SmoothScroll = settings::SmoothScroll.Default;       // pixels between the character steps
    bool BorderOn = settings::Border.Default;  // "Border", read once at process start
    // The account every fetch sends, as the dialog last applied it. The
    // client takes it at the start of each fetch, so credentials a site's
    // address carried for one fetch never replace it.
    std::string Username = settings::Username.Default;
    std::string Password = settings::Password.Default;
    int InstanceNumber = 0;      // 1..3
    std::string InstanceSuffix;  // "", "2" or "3"

    // "Zelvo" + InstanceSuffix: this copy's own section.
    std::string Section() const { return settings::kBaseSection + InstanceSuffix; }
};

TLiveSettings& Live();

// The product name, which is also the base section of the store.
inline constexpr const char* kProductName = settings::kBaseSection;

}  // namespace zelvo::config
