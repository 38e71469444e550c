#include "app/CopyAnimation.h"

#include <QPainter>

namespace vidlark {

namespace {
constexpr int FrameWidth = 272;
constexpr int FrameHeight = 60;
constexpr int FrameMilliseconds = 50;
} // namespace

TCopyAnimation::TCopyAnimation(QWidget* parent) : QWidget(parent)
{
    const QImage strip(QStringLiteral(":/vidlark/copy-animation.png"));
    for (int top = 0; top + FrameHeight <= strip.height(); top += FrameHeight)
        frames_.push_back(strip.copy(0, top, FrameWidth, FrameHeight));
    frame_ = FrameCount() - 1;
    timer_.setInterval(FrameMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] { Advance(); });
}

void TCopyAnimation::SetActive(bool active)
{
    if (active == Active())
        return;
    if (active) {
        frame_ = 0;
        timer_.start();
    } else {
        timer_.stop();
        frame_ = FrameCount() - 1;
    }
    update();
}

void TCopyAnimation::Advance()
{
    if (frames_.empty())
        return;
    frame_ = (frame_ + 1) % FrameCount();
    update();
}

void TCopyAnimation::paintEvent(QPaintEvent*)
{
    if (frame_ < 0 || frame_ >= FrameCount())
        return;
    QPainter painter(this);
    painter.drawImage(rect(), frames_[static_cast<std::size_t>(frame_)]);
}

} // namespace vidlark
