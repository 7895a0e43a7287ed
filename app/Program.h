#pragma once
// The program entry: creates the forms in their order, arms the timers and
// runs the message loop.
#include <memory>

#include "platform/Application.h"

namespace zelvo::app {

class TfrmMain;
class TfrmAbout;

class TZelvoProgram {
public:
    explicit TZelvoProgram(platform::Application& app);
    ~TZelvoProgram();
    TZelvoProgram(const TZelvoProgram&) = delete;
    TZelvoProgram& operator=(const TZelvoProgram&) = delete;

    // Creates the forms; false when this copy must end at once.
    bool Start();
    int Run();

    TfrmMain& frmMain() { return *frmMain_; }
    TfrmAbout& frmAbout() { return *frmAbout_; }

private:
    platform::Application& app_;
    std::unique_ptr<TfrmMain> frmMain_;
    std::unique_ptr<TfrmAbout> frmAbout_;
};

}  // namespace zelvo::app
