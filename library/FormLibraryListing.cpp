#include "app/TTovan_Form1.h"

#include "library/ListingTexts.h"
#include "transfer/FileNames.h"

#include <QLocale>

#include <algorithm>

namespace vidlark {
namespace {

struct TListedKind {
    std::string Folder;        // relative to DriveRoot
    const char* Mask;
    const char* KindWord;      // for the missing-folder header
    bool Video;
};

TListedKind ListedKind(const TTovan_Form1& window)
{
    switch (window.DestKind) {
    case dkMusic:
        return {"PSP\\MUSIC\\", "*.*", "音楽", false};
    case dkPhoto:
        return {"PSP\\PHOTO\\", "*.*", "フォト", false};
    case dkAvc:
        return {window.CurAvcDir, "*.MP4", "動画", true};
    case dkMpeg4:
        break;
    }
    return {window.CurMpeg4Dir, "*.MP4", "動画", true};
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Ascending without regard to letter case; names that differ only in case
// (possible off FAT) keep a fixed order.
bool ListedBefore(const TSearchRec& a, const TSearchRec& b)
{
    const auto byteLess = [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    };
    const auto caseLess = [&](char x, char y) { return byteLess(LowerAscii(x), LowerAscii(y)); };
    if (std::lexicographical_compare(a.Name.begin(), a.Name.end(), b.Name.begin(), b.Name.end(), caseLess))
        return true;
    if (std::lexicographical_compare(b.Name.begin(), b.Name.end(), a.Name.begin(), a.Name.end(), caseLess))
        return false;
    return std::lexicographical_compare(a.Name.begin(), a.Name.end(), b.Name.begin(), b.Name.end(), byteLess);
}

// The plain files of the folder: no sub-folders, hidden or system files.
std::vector<TSearchRec> ListedFiles(TPlatform& platform, const std::string& folder, const std::string& mask)
{
    std::vector<TSearchRec> files = platform.FindFiles(folder, mask);
    std::erase_if(files, [](const TSearchRec& rec) { return rec.IsDirectory || rec.Hidden || rec.System; });
    std::sort(files.begin(), files.end(), ListedBefore);
    return files;
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

} // namespace

void TTovan_Form1::RefreshLibrary()
{
    // Messages handled below may start another refresh; the newer one owns
    // the list from then on, and this one stops at its next row.
    const std::uint64_t refresh = ++libraryRefreshes_;
    completeListing_.reset();

    ListView1->clear();
    Label7->setText(QStringLiteral("選択ファイル: "));
    Label8->clear();
    Image1->hide();
    Image3->hide();
    QTreeWidgetItem* header = ListView1->headerItem();
    for (int column = 2; column <= 7; ++column)
        header->setText(column, QString());

    const TListedKind kind = ListedKind(*this);
    if (kind.Video) {
        const char* captions[] = {"タイトル", "横", "縦", "fps", "kbps", "codec"};
        for (int column = 2; column <= 7; ++column)
            header->setText(column, QString::fromUtf8(captions[column - 2]));
    }

    const std::string folder = DriveRoot + kind.Folder;
    const std::string shownFolder = UpperCaseAscii(DriveRoot) + kind.Folder;
    if (!Platform.DirectoryExists(shownFolder)) {
        Label6->setText(QString::fromUtf8(kind.KindWord) + QStringLiteral("用ディレクトリが存在しません"));
        return;
    }
    Label6->setText(Text(shownFolder));

    // Resolved once: the drive letter and the folder stay for the whole listing.
    const auto nativeFolder = Platform.ResolvePath(folder);
    const std::vector<TSearchRec> files = ListedFiles(Platform, folder, kind.Mask);
    const std::string decimalPoint = QLocale().decimalPoint().toStdString();
    for (const TSearchRec& file : files) {
        Platform.ProcessMessages();
        if (refresh != libraryRefreshes_)
            return;
        auto* row = new QTreeWidgetItem(ListView1, QStringList{Text(file.Name)});
        const std::string fullPath = folder + file.Name;
        std::int64_t size = 0;
        std::string title, width, height, fps, kbps, codec;
        // A file that went since the folder was read shows no details.
        if (nativeFolder && Platform.FileExists((*nativeFolder / file.Name).string())) {
            size = file.Size;
            if (kind.Video) {
                const auto native = *nativeFolder / file.Name;
                title = vidlark::ReadPspTitle(native, fullPath);
                vidlark::ReadVideoProfile(native, fullPath, VideoProfile);
                width = std::to_string(VideoProfile.FrameWidth);
                height = std::to_string(VideoProfile.FrameHeight);
                fps = FrameRateText(VideoProfile.FrameRate, decimalPoint);
                kbps = std::to_string(VideoProfile.BitRate);
                codec = VideoProfile.Codec;
            }
        }
        const std::string texts[] = {SizeText(size), title, width, height, fps, kbps, codec};
        for (int column = 1; column <= 7; ++column)
            row->setText(column, Text(texts[column - 1]));
    }
    completeListing_ = folder;
}

} // namespace vidlark
