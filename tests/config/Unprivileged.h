#pragma once
// Tests of refused writes need permissions that bind; root ignores them, so
// under root such a test runs its step as an unprivileged user.
#include <unistd.h>

namespace zelvo::testing {

class Unprivileged {
public:
    Unprivileged() : root_(::geteuid() == 0) {
        if (root_ && ::seteuid(65534) != 0)
            root_ = false;
    }
    ~Unprivileged() {
        if (root_)
            (void)::seteuid(0);
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    // Whether permissions now apply.
    bool Bound() const { return ::geteuid() != 0; }

private:
    bool root_;
};

}  // namespace zelvo::testing
