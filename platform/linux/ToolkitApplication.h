#pragma once
// The toolkit's application object behind CoreApplication, shared by the
// core and the windowed application.
#include <QCoreApplication>
#include <exception>
#include <memory>

#include "platform/CoreApplication.h"
#include "platform/MessageLoop.h"

namespace zelvo::platform {

struct CoreApplication::Toolkit {
    std::unique_ptr<QCoreApplication> app;
};

// Toolkit events are handlers run from the loop too: the same catch applies.
template <typename Base>
class GuardedApplication : public Base {
public:
    using Base::Base;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return Base::notify(receiver, event);
        } catch (...) {
            HandleException(std::current_exception());
            return true;
        }
    }
};

}  // namespace zelvo::platform
