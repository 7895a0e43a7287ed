#pragma once
// The common base of the tray unit's components, so that an event handler
// can be told which object sent the event.
#include <stdexcept>

namespace zelvo::tray {

class TVryObject {
public:
    virtual ~TVryObject() = default;

protected:
    TVryObject() = default;
    TVryObject(const TVryObject&) = delete;
    TVryObject& operator=(const TVryObject&) = delete;
};

// A call that the object's state does not allow.
class EInvalidOperation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

}  // namespace zelvo::tray
