#pragma once

#include <QImage>
#include <QWidget>

namespace vidlark {

// A picture shown stretched to the box's own size, drawn opaque.
class TPictureBox : public QWidget {
public:
    explicit TPictureBox(QWidget* parent);

    void SetPicture(const QImage& picture);
    // A picture decoded at a reduced scale, with the size of the picture it
    // stands for, by which it is sized and placed.
    void SetPicture(const QImage& picture, QSize pictureSize);
    const QImage& Picture() const { return picture_; }
    QSize PictureSize() const { return pictureSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    QSize pictureSize_;
};

} // namespace vidlark
