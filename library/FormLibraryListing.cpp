#include "app/TTovan_Form1.h"

#include "media/FileNames.h"
#include "media/FileOpenError.h"
#include "media/ListingTexts.h"
#include "media/Mp4File.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <memory>

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

// The texts go in from the last column back: the item's lists then grow
// once instead of once per column, which was most of the cost of a row.
void AddRow(QTreeWidget& list, const QStringList& texts)
{
    auto item = std::make_unique<QTreeWidgetItem>();
    for (qsizetype column = texts.size() - 1; column >= 0; --column)
        item->setText(static_cast<int>(column), texts[column]);
    list.addTopLevelItem(item.release());
}

// Columns 1 to 7 of a row: size, then title, width, height, fps, kbps and
// codec of a video. A file that went since the folder was read shows the
// size of an empty file and no details.
std::array<std::string, 7> RowDetails(TPlatform& platform, const std::filesystem::path& nativeFile,
                                      const TSearchRec& file, const std::string& fullPath, bool video,
                                      TVideoProfile& profile, const std::string& decimalPoint)
{
    std::array<std::string, 7> texts;
    if (!video) {
        texts[0] = SizeText(platform.FileExists(nativeFile.string()) ? file.Size : 0);
        return texts;
    }
    // For videos, opening the file is the look-up: only a file that cannot
    // be opened costs a second one, which tells a vanished file from one
    // that cannot be read. One opening serves title and profile; the
    // profile is reset first, as its own reading would reset it even when
    // the opening fails. The profile's box lies near the start, where the
    // file's first read already is, so it is read first.
    profile = TVideoProfile();
    TOpenedFile opened = platform.OpenFileForReading(nativeFile);
    if (!opened.ReadAt) {
        if (platform.FileExists(nativeFile.string()))
            throw EFileOpenError(fullPath);
        texts[0] = SizeText(0);
        return texts;
    }
    TMp4File mp4(std::move(opened.ReadAt), opened.Length, fullPath);
    vidlark::ReadVideoProfile(mp4, profile);
    const std::string title = vidlark::ReadPspTitle(mp4);
    texts = {SizeText(file.Size),
             title,
             std::to_string(profile.FrameWidth),
             std::to_string(profile.FrameHeight),
             FrameRateText(profile.FrameRate, decimalPoint),
             std::to_string(profile.BitRate),
             profile.Codec};
    return texts;
}

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
    // Resolved once: the drive letter and the folder stay for the whole listing.
    const auto nativeFolder = Platform.ResolvePath(folder);
    if (!nativeFolder || !Platform.DirectoryExists(shownFolder)) {
        Label6->setText(QString::fromUtf8(kind.KindWord) + QStringLiteral("用ディレクトリが存在しません"));
        return;
    }
    Label6->setText(Text(shownFolder));

    const std::vector<TSearchRec> files = ListedFiles(Platform, folder, kind.Mask);
    const std::string decimalPoint = QLocale().decimalPoint().toStdString();
    for (const TSearchRec& file : files) {
        Platform.ProcessMessages();
        if (refresh != libraryRefreshes_)
            return;
        QStringList row;
        row.reserve(8);
        row.append(Text(file.Name));
        std::array<std::string, 7> details;
        try {
            details = RowDetails(Platform, *nativeFolder / file.Name, file, folder + file.Name, kind.Video,
                                 VideoProfile, decimalPoint);
        } catch (const EFileOpenError&) {
            // The row of the file that ends the refresh keeps its caption.
            AddRow(*ListView1, row);
            throw;
        }
        for (const std::string& text : details)
            row.append(Text(text));
        AddRow(*ListView1, row);
    }
    completeListing_ = folder;
}

} // namespace vidlark
