#pragma once
// Inside of the icon handle; shared by the platform units that draw icons.
#include <QImage>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/Icon.h"

namespace zelvo::platform {

class IconData {
public:
    // sizes: the same picture drawn for other sizes, if there are any.
    IconData(QImage image, std::string source, std::vector<QImage> sizes = {})
        : image_(std::move(image)), source_(std::move(source)), sizes_(std::move(sizes)) {}
    const QImage& Image() const { return image_; }
    const std::string& Source() const { return source_; }
    const std::vector<QImage>& Sizes() const { return sizes_; }

    // The picture side pixels square: made from the smallest drawing at
    // least that large (the largest when none is), so that a larger place,
    // a high-density screen's for one, gets sharp lines and not a blown-up
    // small picture.
    QImage Picture(int side) const {
        const QImage* best = &image_;
        auto better = [side](const QImage& candidate, const QImage& current) {
            int c = std::min(candidate.width(), candidate.height());
            int b = std::min(current.width(), current.height());
            if (b < side)
                return c > b;
            return c >= side && c < b;
        };
        for (const QImage& s : sizes_) {
            if (better(s, *best))
                best = &s;
        }
        if (best->width() == side && best->height() == side)
            return *best;
        return best->scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

private:
    QImage image_;
    std::string source_;
    std::vector<QImage> sizes_;
};

}  // namespace zelvo::platform
