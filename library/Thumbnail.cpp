// The thumbnail boxes: a JPEG picture in Image1, any other picture that the
// image library reads in Image3, the placeholders when there is none.
#include "app/TTovan_Form1.h"

#include "imaging/ImageFormats.h"
#include "imaging/Picture.h"
#include "library/PictureImage.h"
#include "library/ThumbnailFit.h"

#include <exception>

namespace vidlark {

namespace {

// The picture of a file that libjpeg cannot read: by the reader class that
// accepts its content, else by the general loader for its extension. Throws
// when neither reads it.
QImage LoadOtherPicture(const std::filesystem::path& fileName)
{
    const TGraphicClass reader = ImageFormatList ? ImageFormatList->ClassForContent(fileName) : nullptr;
    if (reader && reader->Create) {
        const std::unique_ptr<TGraphic> picture = reader->Create();
        picture->LoadFromFile(fileName);
        return PictureImage(*picture);
    }
    TPicture picture;
    picture.LoadFromFile(fileName);
    return PictureImage(*picture.Graphic());
}

} // namespace

void TTovan_Form1::FitThumbnail(TPictureBox* image)
{
    const QSize picture = image->PictureSize();
    image->setGeometry(FitThumbnailRect(picture.width(), picture.height(), ListView1->x(),
                                        ListView1->y() + ListView1->height()));
}

bool TTovan_Form1::LoadJpegIntoImage1(const std::string& fileName)
{
    try {
        const std::optional<std::filesystem::path> native = Platform.ResolvePath(fileName);
        if (!native)
            return false;
        const TThumbnailPicture picture = LoadJpegThumbnail(*native, ThumbnailDctScaling);
        Image1->SetPicture(picture.Image, picture.FullSize);
        return true;
    } catch (const std::exception&) {
        return false; // not JPEG, or damaged: the other readers get their turn
    }
}

void TTovan_Form1::ShowPlaceholder(const TPictureBox& store)
{
    Image1->SetPicture(store.Picture(), store.PictureSize());
}

void TTovan_Form1::LoadOtherThumbnail(const std::string& fileName)
{
    QImage picture;
    try {
        if (const std::optional<std::filesystem::path> native = Platform.ResolvePath(fileName))
            picture = LoadOtherPicture(*native);
    } catch (const std::exception&) {
        picture = QImage();
    }
    // A picture without area cannot be scaled into the box: it counts as unreadable.
    if (picture.isNull()) {
        Platform.MessageBeep(0);
        ShowPlaceholder(*Image2);
        Image1->show();
        Image3->hide();
        return;
    }
    Image3->SetPicture(picture);
    Image3->show();
    Image1->hide();
}

} // namespace vidlark
