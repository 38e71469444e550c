#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace vidlark {

// The copy animation: a strip of frames played in a loop while active; when
// stopped it rests on its last frame.
class TCopyAnimation : public QWidget {
public:
    explicit TCopyAnimation(QWidget* parent);

    void SetActive(bool active);
    bool Active() const { return timer_.isActive(); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    int Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Advance();

    std::vector<QImage> frames_;
    int frame_ = 0;
    QTimer timer_;
};

} // namespace vidlark
