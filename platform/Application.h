#pragma once
// The ticker's application object: the event loop of CoreApplication with
// the display, windows and input brought up too.
#include "platform/CoreApplication.h"

namespace zelvo::platform {

class Application : public CoreApplication {
public:
    Application(int& argc, char** argv);
    ~Application() override;

    static Application* Instance();
};

}  // namespace zelvo::platform
