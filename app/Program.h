#pragma once
// The program entry: the one place where the forms, the retrieval cycle and
// the HTTP client are put together. It creates the forms in their order,
// arms the timers and runs the message loop.
#include <memory>
#include <optional>

#include "app/MainZv3.h"
#include "config/CnfgZv3.h"
#include "http/HttpProt.h"

namespace zelvo::app {

class TfrmAbout;
class TRetrievalCycle;

// Where the program finds its screen and files; nothing or empty means the
// real ones (tests give their own).
struct TProgramPlaces {
    std::optional<TfrmMain::TScreen> Screen;
    config::TConfigPlaces Config;
};

class TZelvoProgram {
public:
    explicit TZelvoProgram(TProgramPlaces places = {});
    ~TZelvoProgram();
    TZelvoProgram(const TZelvoProgram&) = delete;
    TZelvoProgram& operator=(const TZelvoProgram&) = delete;

    // Reads "Border", creates and wires the forms, then starts retrieval or
    // the explanation; false when this copy must end at once.
    bool Start();
    // The forms and the cycle, wired, without the start-up around them.
    void CreateForms();
    int Run();

    TfrmMain& frmMain() { return *frmMain_; }
    TfrmAbout& frmAbout() { return *frmAbout_; }
    config::TfrmConfig& frmConfig() { return *frmConfig_; }
    TRetrievalCycle& Retrieval() { return *retrieval_; }
    http::THttpCli& HttpCli1() { return client_; }

private:
    TProgramPlaces places_;
    http::THttpCli client_;
    std::unique_ptr<TfrmMain> frmMain_;
    std::unique_ptr<config::TfrmConfig> frmConfig_;
    std::unique_ptr<TRetrievalCycle> retrieval_;
    std::unique_ptr<TfrmAbout> frmAbout_;
};

}  // namespace zelvo::app
