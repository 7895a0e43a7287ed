#include "app/Program.h"

#include "app/AbtZv3.h"
#include "app/MainZv3.h"
#include "config/CnfgZv3.h"
#include "config/LiveSettings.h"
#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"

namespace zelvo::app {

TZelvoProgram::TZelvoProgram(platform::Application& app) : app_(app) {}

TZelvoProgram::~TZelvoProgram() = default;

bool TZelvoProgram::Start() {
    platform::Guarded([] { UnitInitialization(); });
    platform::SetApplicationTitle(config::kProductName);

    frmMain_ = std::make_unique<TfrmMain>();
    // A failure while the form is created is reported and start-up goes on,
    // as for any handler.
    platform::Guarded([this] { frmMain_->FormCreate(); });
    frmConfig_ = std::make_unique<config::TfrmConfig>(*frmMain_);
    frmAbout_ = std::make_unique<TfrmAbout>();
    frmMain_->SetForms(frmConfig_.get(), frmAbout_.get());

    frmMain_->timerTimeOut.SetEnabled(true);
    if (frmMain_->Tag != 0)
        return false;

    frmMain_->show();
    if (frmConfig_->RetrievalOnSelected())
        frmMain_->timerRetrieve.SetEnabled(true);
    else
        frmMain_->Scroller.StartExplanation();
    return true;
}

int TZelvoProgram::Run() {
    return app_.Run();
}

}  // namespace zelvo::app
