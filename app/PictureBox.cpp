#include "app/PictureBox.h"

#include <QPainter>

namespace vidlark {

TPictureBox::TPictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TPictureBox::SetPicture(const QImage& picture)
{
    SetPicture(picture, picture.size());
}

void TPictureBox::SetPicture(const QImage& picture, QSize pictureSize)
{
    picture_ = picture;
    pictureSize_ = pictureSize;
    update();
}

void TPictureBox::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

} // namespace vidlark
