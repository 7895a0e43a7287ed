#include "app/Program.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    zelvo::platform::Application app(argc, argv);
    zelvo::app::TZelvoProgram program;
    if (!program.Start())
        return 0;
    return program.Run();
}
