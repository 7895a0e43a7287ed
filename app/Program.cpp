#include "app/Program.h"

#include "app/AbtZv3.h"
#include "app/RetrievalCycle.h"
#include "config/LiveSettings.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"

namespace zelvo::app {

TZelvoProgram::TZelvoProgram(TProgramPlaces places) : places_(std::move(places)) {}

TZelvoProgram::~TZelvoProgram() {
    // The timers and the dialog's buttons call into the cycle: it goes last
    // but for the client.
    frmAbout_.reset();
    frmConfig_.reset();
    frmMain_.reset();
    retrieval_.reset();
}

void TZelvoProgram::CreateForms() {
    frmMain_ =
        std::make_unique<TfrmMain>(places_.Screen ? *places_.Screen : TfrmMain::CurrentScreen());
    // A failure while the form is created is reported and start-up goes on,
    // as for any handler.
    platform::Guarded([this] { frmMain_->FormCreate(); });
    frmConfig_ = std::make_unique<config::TfrmConfig>(*frmMain_, places_.Config);
    retrieval_ = std::make_unique<TRetrievalCycle>(client_, *frmConfig_, frmMain_->Scroller,
                                                   *frmMain_, frmMain_->timerRetrieve);
    // The page and the log go where the strip's folders say.
    retrieval_->FilesDir = frmMain_->Folders.Page;
    frmAbout_ = std::make_unique<TfrmAbout>();

    TfrmMain& strip = *frmMain_;
    TRetrievalCycle& cycle = *retrieval_;
    strip.SetForms(frmConfig_.get(), frmAbout_.get());
    strip.SetRetrieval(&cycle);
    strip.timerRetrieve.SetOnTimer([&cycle] { cycle.timerRetrieveTimer(); });
    strip.timerTimeOut.SetOnTimer([&cycle] { cycle.timerTimeOutTimer(); });
    cycle.OnCancelEnabled = [&strip](bool on) { strip.mnuCancel->SetEnabled(on); };
    cycle.OnTimeOut = [&strip] { strip.Close(); };
    frmConfig_->OnRetrieveTestURL = [&cycle] { cycle.RetrieveTestURL(); };
    frmConfig_->OnCancelRetrieval = [&cycle] { cycle.CancelRetrieval(); };
    frmConfig_->OnSiteAddressChanged = [&cycle](int site) { cycle.TakeSiteNext(site); };
}

bool TZelvoProgram::Start() {
    platform::Guarded([] { UnitInitialization(); });
    platform::SetApplicationTitle(config::kProductName);
    CreateForms();

    frmMain_->timerTimeOut.SetEnabled(true);
    if (frmMain_->Tag != 0)
        return false;

    frmMain_->Show();
    if (frmConfig_->RetrievalOnSelected())
        frmMain_->timerRetrieve.SetEnabled(true);
    else
        frmMain_->Scroller.StartExplanation();
    return true;
}

int TZelvoProgram::Run() {
    auto* app = platform::Application::Instance();
    return app != nullptr ? app->Run() : 0;
}

}  // namespace zelvo::app
