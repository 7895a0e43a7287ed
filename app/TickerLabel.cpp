#include "app/TickerLabel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "app/TickerImage.h"
#include "platform/WindowPixels.h"
#include "platform/linux/CanvasImpl.h"
#include "toolkit/Look.h"

namespace zelvo::app {

TTickerLabel::TTickerLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A window of its own, whose pixels the display can shift in place.
    setAttribute(Qt::WA_NativeWindow);
    setObjectName("lblTicker");
}

void TTickerLabel::SetCaption(const std::string& caption, bool mnemonics) {
    if (caption == caption_ && mnemonics == mnemonics_)
        return;
    caption_ = caption;
    mnemonics_ = mnemonics;
    // An image on show is drawn without the caption.
    if (image_ == nullptr)
        update();
}

void TTickerLabel::SetBackcolor(int colour) {
    backcolor_ = colour;
    update();
}

void TTickerLabel::SetForeColor(int colour) {
    foreColor_ = colour;
    update();
}

namespace {

// The length of the UTF-8 character that starts at caption[i].
std::size_t CharLength(const std::string& caption, std::size_t i) {
    std::size_t len = 1;
    while (i + len < caption.size() &&
           (static_cast<unsigned char>(caption[i + len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

}  // namespace

platform::TFont TTickerLabel::TextFont() const {
    return platform::toolkit::FromQFont(font());
}

std::vector<TTickerLabel::Run> TTickerLabel::Runs(const std::string& caption, bool mnemonics) {
    if (!mnemonics)
        return {{caption, false}};
    std::vector<Run> runs;
    std::string plain;
    auto flush = [&] {
        if (!plain.empty()) {
            runs.push_back({plain, false});
            plain.clear();
        }
    };
    for (std::size_t i = 0; i < caption.size();) {
        const char c = caption[i];
        if (c != '&') {
            const std::size_t len = CharLength(caption, i);
            plain.append(caption, i, len);
            i += len;
            continue;
        }
        if (i + 1 >= caption.size())
            break;  // a prefix with nothing after it shows nothing
        ++i;
        if (caption[i] == '&') {
            plain += '&';
            ++i;
            continue;
        }
        flush();
        const std::size_t len = CharLength(caption, i);
        runs.push_back({caption.substr(i, len), true});
        i += len;
    }
    flush();
    return runs;
}

std::vector<std::size_t> TTickerLabel::ShownCharacters(const std::string& caption, bool mnemonics) {
    std::vector<std::size_t> shown;
    std::size_t index = 0;  // characters of the caption passed
    for (std::size_t i = 0; i < caption.size();) {
        if (mnemonics && caption[i] == '&') {
            if (i + 1 >= caption.size())
                break;
            ++i;
            ++index;
        }
        shown.push_back(index);
        i += CharLength(caption, i);
        ++index;
    }
    return shown;
}

int TTickerLabel::CharacterAt(int x) const {
    if (x < 0)
        return -1;
    const std::vector<std::size_t> shown = ShownCharacters(caption_, mnemonics_);
    std::string drawn;
    for (const Run& run : Runs(caption_, mnemonics_))
        drawn += run.text;
    const std::vector<int> edges = platform::TTextMetrics(TextFont()).Edges(drawn);
    for (std::size_t n = 0; n + 1 < edges.size() && n < shown.size(); ++n) {
        if (x >= edges[n] && x < edges[n + 1])
            return static_cast<int>(shown[n]);
    }
    return -1;
}

void TTickerLabel::ShowImage(TTickerImage* image, int offset, int from, int to) {
    if (image == nullptr && image_ == nullptr)
        return;
    image_ = image;
    imageOffset_ = offset;
    imageFrom_ = from;
    imageTo_ = to;
    update();
}

void TTickerLabel::SetImageOffset(int offset) {
    if (offset == imageOffset_)
        return;
    const int dx = imageOffset_ - offset;
    imageOffset_ = offset;
    if (image_ == nullptr)
        return;
    if (ShiftOnDisplay(dx))
        return;
    // The pixels already drawn move; only the strip they uncover is painted.
    if (dx > -width() && dx < width())
        scroll(dx, 0);
    else
        update();
}

bool TTickerLabel::MoveImage(int offset, int from, int to) {
    if (image_ == nullptr || !isVisible() || !testAttribute(Qt::WA_WState_Created) ||
        offset < imageOffset_ || offset - imageOffset_ >= width() || to - offset < width() ||
        from < imageFrom_)
        return false;
    const int dx = imageOffset_ - offset;
    imageOffset_ = offset;
    imageFrom_ = from;
    imageTo_ = to;
    if (dx != 0 && !ShiftOnDisplay(dx)) {
        update();
        return true;
    }
    // What lies left of the new frame's text is its indent: blank.
    const int blank = std::min(width(), from - offset);
    if (blank > 0) {
        uncovered_.assign(static_cast<std::size_t>(blank) * static_cast<std::size_t>(height()),
                          platform::ToQColor(backcolor_).rgb() & 0xFFFFFFu);
        const platform::TPixels pixels{uncovered_.data(), blank, height(), blank};
        if (!platform::ShiftWindowPixels(static_cast<std::uintptr_t>(winId()), 0, width(), height(),
                                         pixels, 0))
            update();
    }
    return true;
}

bool TTickerLabel::ShiftOnDisplay(int dx) {
    // Only a move to the left, within the strip, of a strip on screen.
    if (dx >= 0 || -dx >= width() || !isVisible() || !testAttribute(Qt::WA_WState_Created))
        return false;
    const int columns = -dx;
    uncovered_.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(height()),
                      platform::ToQColor(backcolor_).rgb() & 0xFFFFFFu);
    const int origin = imageOffset_ + width() - columns;
    image_->CopyPixels(uncovered_.data(), columns, origin, std::max(imageFrom_, origin),
                       std::min(imageTo_, imageOffset_ + width()), height());
    const platform::TPixels pixels{uncovered_.data(), columns, height(), columns};
    return platform::ShiftWindowPixels(static_cast<std::uintptr_t>(winId()), dx, width(), height(),
                                       pixels, width() - columns);
}

void TTickerLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    platform::TCanvas canvas = platform::toolkit::CanvasOn(painter);
    const QRect exposed = event->rect();
    if (image_ != nullptr) {
        // Only what the step exposed is painted again; the image holds the
        // shaped text.
        canvas.FillRect(exposed.left(), exposed.top(), exposed.width(), exposed.height(),
                        backcolor_);
        const int from = std::max(imageFrom_, imageOffset_ + exposed.left());
        const int to = std::min(imageTo_, imageOffset_ + exposed.right() + 1);
        image_->Draw(canvas, imageOffset_, from, to, height());
        return;
    }
    canvas.FillRect(0, 0, width(), height(), backcolor_);
    canvas.SetTextColor(foreColor_);
    canvas.SetClip(0, 0, width(), height());
    const platform::TFont face = TextFont();
    canvas.SetFont(face);
    const platform::TTextMetrics metrics(face);
    const int baseline = (height() - metrics.Height()) / 2 + metrics.Ascent();
    int x = 0;
    for (const Run& run : Runs(caption_, mnemonics_)) {
        if (x >= width())
            break;
        x += canvas.TextOut(x, baseline, run.text, run.underline);
    }
}

void TTickerLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit pressed(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

void TTickerLabel::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        emit dragged(event->globalPosition().toPoint());
    QWidget::mouseMoveEvent(event);
}

void TTickerLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit released();
    QWidget::mouseReleaseEvent(event);
}

void TTickerLabel::enterEvent(QEnterEvent* event) {
    emit hovered(true);
    QWidget::enterEvent(event);
}

void TTickerLabel::leaveEvent(QEvent* event) {
    emit hovered(false);
    QWidget::leaveEvent(event);
}

void TTickerLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked(event->position().toPoint());
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace zelvo::app
