// The main of suites that need no toolkit, where there is none to bring up
// (the Windows build): the same defaults as the toolkit's main.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

void SetDefault(const char* name, const char* value) {
    if (std::getenv(name) != nullptr)
        return;
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 0);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    SetDefault("ZELVO_SOURCE_DIR", ZELVO_DEFAULT_SOURCE_DIR);
    SetDefault("ZELVO_BINARY_DIR", ZELVO_DEFAULT_BINARY_DIR);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
