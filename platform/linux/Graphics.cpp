#include <QFontMetrics>
#include <algorithm>

#include "platform/linux/QtText.h"
#include "platform/linux/CanvasImpl.h"
#include "platform/linux/QtLook.h"

namespace zelvo::platform {

namespace {

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

struct TTextMetrics::Impl {
    explicit Impl(const QFont& font) : metrics(font) {}
    QFontMetrics metrics;
};

TTextMetrics::TTextMetrics(const TFont& font)
    : impl_(std::make_unique<Impl>(toolkit::ToQFont(font))) {}
TTextMetrics::~TTextMetrics() = default;

int TTextMetrics::Height() const {
    return impl_->metrics.height();
}

int TTextMetrics::Ascent() const {
    return impl_->metrics.ascent();
}

int TTextMetrics::Width(const std::string& text) const {
    return impl_->metrics.horizontalAdvance(FromUtf8(text));
}

std::vector<int> TTextMetrics::Edges(const std::string& text) const {
    const QString drawn = FromUtf8(text);
    std::vector<int> edges;
    // A character beyond the first plane is two units of the toolkit's text.
    for (qsizetype unit = 0; unit < drawn.size();) {
        edges.push_back(impl_->metrics.horizontalAdvance(drawn.left(unit)));
        unit += drawn.at(unit).isHighSurrogate() && unit + 1 < drawn.size() ? 2 : 1;
    }
    edges.push_back(impl_->metrics.horizontalAdvance(drawn));
    return edges;
}

TBitmap::TBitmap() : impl_(std::make_unique<Impl>()) {}

TBitmap::TBitmap(int width, int height) : impl_(std::make_unique<Impl>()) {
    impl_->image = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
}

TBitmap::~TBitmap() = default;

TBitmap::TBitmap(TBitmap&& other) noexcept : impl_(std::make_unique<Impl>()) {
    impl_->image.swap(other.impl_->image);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
    QImage taken;
    taken.swap(other.impl_->image);
    impl_->image.swap(taken);
    return *this;
}

bool TBitmap::Empty() const {
    return impl_->image.isNull();
}

int TBitmap::Width() const {
    return impl_->image.width();
}

int TBitmap::Height() const {
    return impl_->image.height();
}

void TBitmap::Fill(int colour) {
    impl_->image.fill(toolkit::ToQColor(colour));
}

const std::uint32_t* TBitmap::ScanLine(int y) const {
    return reinterpret_cast<const std::uint32_t*>(impl_->image.constScanLine(y));
}

TCanvas::TCanvas(TBitmap& bitmap) : impl_(std::make_unique<Impl>()) {
    impl_->owned = std::make_unique<QPainter>(&bitmap.Toolkit().image);
    impl_->painter = impl_->owned.get();
}

TCanvas::TCanvas(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetFont(const TFont& font) {
    impl_->font = toolkit::ToQFont(font);
    impl_->underlined = impl_->font;
    impl_->underlined.setUnderline(true);
    impl_->metrics = QFontMetrics(impl_->font);
}

void TCanvas::SetTextColor(int colour) {
    impl_->painter->setPen(toolkit::ToQColor(colour));
}

void TCanvas::SetClip(int left, int top, int width, int height) {
    impl_->painter->setClipRect(left, top, width, height);
}

void TCanvas::FillRect(int left, int top, int width, int height, int colour) {
    impl_->painter->fillRect(left, top, width, height, toolkit::ToQColor(colour));
}

int TCanvas::TextOut(int x, int baseline, const std::string& text, bool underline) {
    const QString drawn = FromUtf8(text);
    impl_->painter->setFont(underline ? impl_->underlined : impl_->font);
    impl_->painter->drawText(x, baseline, drawn);
    return impl_->metrics.horizontalAdvance(drawn);
}

void TCanvas::Draw(int x, int y, const TBitmap& source, int sourceX, int sourceY, int width,
                   int height) {
    impl_->painter->drawImage(QPoint(x, y), source.Toolkit().image,
                              QRect(sourceX, sourceY, width, height));
}

}  // namespace zelvo::platform
