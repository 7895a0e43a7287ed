#pragma once
// The ticker's application object: the event loop of CoreApplication with
// the display, windows and input brought up too.
#include "platform/CoreApplication.h"

namespace zelvo::platform {

// Runs before the toolkit starts (Application's constructor calls it): with
// an X display at hand and no window system named by the user, the X one.
void ChooseWindowSystem();

class Application : public CoreApplication {
public:
    Application(int& argc, char** argv);
    ~Application() override;

    static Application* Instance();
};

}  // namespace zelvo::platform
