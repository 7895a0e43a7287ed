// Every suite runs with the toolkit up (offscreen unless told otherwise) so
// that the message loop, timers and widgets behave as in the program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Application.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("ZELVO_SOURCE_DIR", ZELVO_DEFAULT_SOURCE_DIR, 0);
    ::setenv("ZELVO_BINARY_DIR", ZELVO_DEFAULT_BINARY_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    zelvo::platform::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
