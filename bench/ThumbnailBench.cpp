// Time from selecting a photo row to its thumbnail painted, for a
// 12-megapixel JPEG, with libjpeg's DCT scaling and with a full decode, in
// the same run. A plain program: prints both medians and their ratio.
//
//   vidlark_thumbnail_bench [rounds]
#include "app/TTovan_Form1.h"
#include "imaging/ImageFormats.h"
#include "platform/FakePlatform.h"
#include "tests/platform/TempFolder.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vidlark;

namespace {

double SelectAndPaintMs(TTovan_Form1& window, bool dctScaling)
{
    window.ThumbnailDctScaling = dctScaling;
    window.ListView1->clearSelection();
    QTreeWidgetItem* row = window.ListView1->topLevelItem(0);
    const auto start = std::chrono::steady_clock::now();
    window.ListView1->setCurrentItem(row);
    window.Image1->repaint();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    TTempFolder temp;
    std::filesystem::create_directories(temp / "E/PSP/PHOTO");
    std::filesystem::copy_file(VIDLARK_SELECTION_DATA "/photo-12mp.jpg", temp / "E/PSP/PHOTO/PHOTO.JPG");
    TFakePlatform platform;
    platform.MapDrive('E', temp / "E");
    platform.SettingsFile = temp / "vidlark.ini";
    temp.Write("vidlark.ini", "[Drive]\nDrv=E:\\\n");

    const TImageLibrary imageLibrary;
    TTovan_Form1 window(platform);
    window.show();
    window.DestKind = dkPhoto;
    window.ShowLibraryPane(true);
    if (window.ListView1->topLevelItemCount() != 1) {
        std::fprintf(stderr, "the photo folder was not listed\n");
        return 1;
    }

    // One of each first, so the file is in the page cache for both.
    SelectAndPaintMs(window, true);
    SelectAndPaintMs(window, false);
    std::vector<double> scaled, full;
    for (int round = 0; round < rounds; ++round) {
        scaled.push_back(SelectAndPaintMs(window, true));
        full.push_back(SelectAndPaintMs(window, false));
    }
    if (window.Image1->isHidden() || window.Image1->PictureSize() != QSize(4000, 3000) || !platform.Beeps.empty()) {
        std::fprintf(stderr, "the thumbnail was not shown\n");
        return 1;
    }
    const double scaledMs = Median(scaled);
    const double fullMs = Median(full);
    std::printf("12-megapixel JPEG, select to painted thumbnail (median of %d):\n", rounds);
    std::printf("  DCT scaling  %8.2f ms\n", scaledMs);
    std::printf("  full decode  %8.2f ms\n", fullMs);
    std::printf("  ratio        %8.2f x\n", fullMs / scaledMs);
    return 0;
}
