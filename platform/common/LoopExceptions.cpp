#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"

namespace zelvo::platform {
namespace {

ExceptionHandler& Handler() {
    static ExceptionHandler handler;
    return handler;
}

}  // namespace

void SetExceptionHandler(ExceptionHandler handler) {
    Handler() = std::move(handler);
}

std::string ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

void HandleException(std::exception_ptr error) {
    auto& handler = Handler();
    try {
        if (handler)
            handler(error);
        else
            ShowErrorBox(ExceptionMessage(error));
    } catch (...) {
        // A handler that fails must not take the loop down with it.
    }
}

}  // namespace zelvo::platform
