#include <cstdio>

#include "app/CommandLine.h"
#include "app/Program.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    // Before the toolkit: it cannot start without a display.
    const zelvo::app::TCommandLine line =
        zelvo::app::ReadCommandLine({argv + (argc > 0 ? 1 : 0), argv + argc}, ZELVO_VERSION);
    if (line.Action != zelvo::app::TCommandLine::Run) {
        std::fputs(line.Text.c_str(),
                   line.Action == zelvo::app::TCommandLine::Refuse ? stderr : stdout);
        return line.ExitCode;
    }
    zelvo::platform::Application app(argc, argv);
    zelvo::app::TZelvoProgram program;
    if (!program.Start())
        return 0;
    return program.Run();
}
