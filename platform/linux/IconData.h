#pragma once
// Inside of the icon handle; shared by the platform units that draw icons.
#include <QImage>
#include <string>

#include "platform/Icon.h"

namespace zelvo::platform {

class IconData {
public:
    IconData(QImage image, std::string source)
        : image_(std::move(image)), source_(std::move(source)) {}
    const QImage& Image() const { return image_; }
    const std::string& Source() const { return source_; }

private:
    QImage image_;
    std::string source_;
};

}  // namespace zelvo::platform
