#pragma once
// The program entry: creates the forms in their order, arms the timers and
// runs the message loop.
#include <memory>

#include "platform/Application.h"

namespace zelvo::app {

class TfrmMain;
class TfrmAbout;
}  // namespace zelvo::app

namespace zelvo::config {
class TfrmConfig;
}

namespace zelvo::app {

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
    config::TfrmConfig& frmConfig() { return *frmConfig_; }

private:
    platform::Application& app_;
    std::unique_ptr<TfrmMain> frmMain_;
    std::unique_ptr<config::TfrmConfig> frmConfig_;
    std::unique_ptr<TfrmAbout> frmAbout_;
};

}  // namespace zelvo::app
