// zelvo-page: shows from the command line what the ticker would make of a page.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: zelvo-page --file PATH\n"
                     "       zelvo-page --frames N [--step S] --file PATH\n");
        return 2;
    }
    std::fprintf(stderr, "zelvo-page: not available yet\n");
    return 2;
}
