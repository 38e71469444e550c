#pragma once
// The window with the image library running and drive E selected, plus
// the pictures of tests/data/selection and helpers to select a row.

#include "imaging/ImageFormats.h"
#include "tests/library/LibraryWindowFixture.h"

#include <QTreeWidgetItem>

namespace vidlark::test {

class SelectionWindowFixture : public LibraryWindowFixture {
protected:
    static constexpr const char* PhotoFolder = "PSP/PHOTO";
    static constexpr const char* MusicFolder = "PSP/MUSIC";

    static TBytes Fixture(const std::string& name) { return ReadFile(std::string(VIDLARK_SELECTION_DATA "/") + name); }

    // Opens the window on the folder of kind and lists it.
    TTovan_Form1& OpenOn(TDestKind kind)
    {
        auto& w = Open();
        w.DestKind = kind;
        w.ShowLibraryPane(true);
        return w;
    }
    // Selects the row with this caption, as a click does.
    void Select(const std::string& caption)
    {
        const auto rows = window->ListView1->findItems(QString::fromStdString(caption), Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1) << caption;
        window->ListView1->setCurrentItem(rows.front());
    }
    // The thumbnail box's place relative to the library list's left and bottom edges.
    QRect BoxOf(const TPictureBox& image) const
    {
        const QTreeWidget& list = *window->ListView1;
        return image.geometry().translated(-list.x(), -(list.y() + list.height()));
    }

    TImageLibrary imageLibrary;
};

} // namespace vidlark::test
