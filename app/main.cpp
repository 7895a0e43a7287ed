#include "platform/Application.h"

int main(int argc, char** argv) {
    zelvo::platform::Application app(argc, argv);
    return app.Run();
}
