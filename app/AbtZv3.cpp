#include "app/AbtZv3.h"

namespace zelvo::app {
using platform::TAlignment;
using platform::TFont;
using platform::TLabel;

std::string TfrmAbout::AboutCaption() {
    return std::string("About") + '\xA0' + "Zelvo";
}

TfrmAbout::TfrmAbout() {
    SetName("frmAbout");
    SetFixedSize(367, 262);

    Panel1.SetName("Panel1");
    Panel1.SetSunken(true);
    Panel1.SetBounds(10, 10, 346, 198);
    auto& column = Panel1.ArrangeInColumn();

    ProgramIcon.SetFixedHeight(40);
    ProgramIcon.SetStockPicture(platform::TStockPicture::spComputer, 32);
    column.Add(ProgramIcon);
    TFont big = ProductName.Font();
    big.Bold = true;
    big.Height = 20;
    ProductName.SetFont(big);
    TFont times;
    times.Name = "Times New Roman";
    times.Bold = true;
    Version.SetFont(times);
    TFont bold = Copyright.Font();
    bold.Bold = true;
    Copyright.SetFont(bold);
    Comments.SetWordWrap(true);
    lblVersion.SetFont(bold);
    for (TLabel* l : {&ProductName, &Version, &Copyright, &Label1, &Comments, &lblVersion}) {
        l->SetAlignment(TAlignment::taCenter);
        column.Add(*l);
    }

    OKButton.SetName("OKButton");
    OKButton.SetBounds(137, 222, 92, 30);
    OKButton.SetDefault(true);
    OKButton.OnClick = [this](platform::TControl*) { SetModalResult(platform::mrOk); };

    FormCreate();
}

void TfrmAbout::FormCreate() {
    lblVersion.SetCaption(std::string("Version ") + kProgramVersion + " - Windows 95/NT");
    SetCaption(AboutCaption());
}

}  // namespace zelvo::app
