#pragma once
// The about box. It is created at start-up and kept, hidden, until the
// program ends: while it exists it marks this copy as running for the copies
// started after it.
#include <string>

#include "platform/Forms.h"
#include "platform/RunningCopy.h"
#include "platform/StdCtrls.h"

namespace zelvo::app {

inline constexpr const char* kProgramVersion = "3.02";

class TfrmAbout : public platform::TForm {
public:
    TfrmAbout();

    platform::TPanel Panel1{*this};
    platform::TImage ProgramIcon{Panel1};
    platform::TLabel ProductName{Panel1, "Zelvo"};
    platform::TLabel Version{Panel1, "Automated Web Content Retrieval"};
    platform::TLabel Copyright{Panel1, "Copyright \xA9 Quorvane"};
    platform::TLabel Label1{Panel1, "Email:  info@quorvane.com"};
    platform::TLabel Comments{Panel1, "Web Site:  http://www.quorvane.com/"};
    platform::TLabel lblVersion{Panel1, "Version 1.0"};
    platform::TButton OKButton{*this, "OK"};

    // The caption the running-copy search relies on, in Windows-1252.
    static std::string AboutCaption();

private:
    void FormCreate();

    platform::RunningCopyMarker marker_;
};

}  // namespace zelvo::app
