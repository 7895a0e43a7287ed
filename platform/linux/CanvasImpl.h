#pragma once
// The toolkit's side of the canvas: a painter on a bitmap's image or on a
// widget being painted, with the font it sets text in.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <memory>

#include "platform/Graphics.h"

namespace zelvo::platform {

struct TBitmap::Impl {
    QImage image;
};

struct TCanvas::Impl {
    // A painter of the canvas's own, or one the widget's paint event owns.
    std::unique_ptr<QPainter> owned;
    QPainter* painter = nullptr;
    QFont font;
    QFont underlined;
    QFontMetrics metrics{font};
};

namespace toolkit {

// A canvas drawing through a painter that outlives it.
inline TCanvas CanvasOn(QPainter& painter) {
    auto impl = std::make_unique<TCanvas::Impl>();
    impl->painter = &painter;
    return TCanvas(std::move(impl));
}

}  // namespace toolkit
}  // namespace zelvo::platform
