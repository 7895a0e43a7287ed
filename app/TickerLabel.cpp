#include "app/TickerLabel.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/Cp1252.h"
#include "toolkit/Look.h"

namespace zelvo::app {

TTickerLabel::TTickerLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName("lblTicker");
}

void TTickerLabel::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
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

std::vector<TTickerLabel::Run> TTickerLabel::Runs(const std::string& caption) {
    std::vector<Run> runs;
    std::string plain;
    auto flush = [&] {
        if (!plain.empty()) {
            runs.push_back({platform::ToQString(plain), false});
            plain.clear();
        }
    };
    for (size_t i = 0; i < caption.size(); ++i) {
        char c = caption[i];
        if (c != '&') {
            plain += c;
            continue;
        }
        if (i + 1 >= caption.size())
            break;  // a prefix with nothing after it shows nothing
        char next = caption[++i];
        if (next == '&') {
            plain += '&';
            continue;
        }
        flush();
        runs.push_back({platform::ToQString(std::string(1, next)), true});
    }
    flush();
    return runs;
}

void TTickerLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), platform::ToQColor(backcolor_));
    painter.setPen(platform::ToQColor(foreColor_));
    painter.setClipRect(rect());
    QFont plainFont = font();
    QFont underlined = plainFont;
    underlined.setUnderline(true);
    QFontMetrics metrics(plainFont);
    int baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    int x = 0;
    for (const Run& run : Runs(caption_)) {
        if (x >= width())
            break;
        painter.setFont(run.underline ? underlined : plainFont);
        painter.drawText(x, baseline, run.text);
        x += metrics.horizontalAdvance(run.text);
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

void TTickerLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace zelvo::app
