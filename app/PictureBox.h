#pragma once

#include <QImage>
#include <QWidget>

namespace vidlark {

// A picture shown stretched to the box's own size, drawn opaque.
class TPictureBox : public QWidget {
public:
    explicit TPictureBox(QWidget* parent);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace vidlark
