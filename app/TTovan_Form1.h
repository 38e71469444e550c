#pragma once
// The program's one window. It owns the whole state of the program in plain
// fields and all controls; its member functions are defined in the folder of
// their subsystem (app/, transfer/, library/).

#include "app/CopyAnimation.h"
#include "app/DestKind.h"
#include "app/DriveComboBox.h"
#include "app/PictureBox.h"
#include "app/SpeedButton.h"
#include "media/PspMetadata.h"
#include "platform/Platform.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vidlark {

class TTovan_Form1 : public QWidget {
    Q_OBJECT
public:
    // Builds the controls and runs FormCreate.
    explicit TTovan_Form1(TPlatform& platform, QWidget* parent = nullptr);
    ~TTovan_Form1() override;

    TPlatform& Platform;

    // --- window state -------------------------------------------------------
    std::string DriveRoot;                 // "E:\" (letter, colon, backslash)
    std::array<std::string, 8> Mpeg4Dirs;  // relative, ending in "\" unless empty
    std::string AvcDir;
    std::int32_t DirNo = 0;
    std::string CurMpeg4Dir;
    std::string CurAvcDir;
    TDestKind DestKind = dkMpeg4;
    bool LibraryOpen = false;
    bool CloseAllowed = true;
    bool DropBusy = false;
    bool CancelRequested = false;
    std::int64_t JobBytes = 1;
    std::int64_t CopiedBytes = 0;
    std::int64_t FreeBytes = -1;
    std::string SourceFile;                // the queue entry being copied
    std::string DestStem;                  // destination of that video, no extension

    // --- controls (positions as designed; ArrangeControls moves some) --------
    QLabel* Label2 = nullptr;
    QListWidget* ListBox1 = nullptr;
    TCopyAnimation* Animate1 = nullptr;
    QFrame* Panel1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* Label1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label6 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    TPictureBox* Image1 = nullptr;
    TPictureBox* Image3 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    TPictureBox* Image2 = nullptr;
    TPictureBox* Image4 = nullptr;
    TPictureBox* Image5 = nullptr;
    QListWidget* FileListBox1 = nullptr;
    QTimer* Timer1 = nullptr;

    // The folder menu of Panel1 and its entries; an entry's tag is its data().
    QMenu* SelectDirectory = nullptr;
    QActionGroup* SelectDirectoryGroup = nullptr;
    QAction* Dir1 = nullptr;   // slots 0..7: Dir1 .. Dir8
    QAction* Dir2 = nullptr;
    QAction* Dir3 = nullptr;
    QAction* Dir4 = nullptr;
    QAction* Dir5 = nullptr;
    QAction* Dir6 = nullptr;
    QAction* Dir7 = nullptr;
    QAction* Dir8 = nullptr;
    QAction* N1 = nullptr;     // separator
    QAction* Dir9 = nullptr;   // AVC folder, tag 8
    QAction* N2 = nullptr;     // separator
    QAction* Dir10 = nullptr;  // music, tag 9
    QAction* Dir11 = nullptr;  // photo, tag 10

    // --- failure guard --------------------------------------------------------
    // Runs one event handler; a failure ends it with the "Vidlark" box.
    // Returns false when a failure ended it.
    bool Guarded(const std::function<void()>& handler);

    // --- start-up and settings (app/) -----------------------------------------
    void FormCreate();
    // Throws EVidlarkError when the settings cannot be written.
    void FormClose();

    // --- destination folders and drive (app/) ---------------------------------
    std::string CurrentDestDir() const;
    void Dir1Click(QAction* sender);
    void DriveComboBox1Change();
    std::int32_t QueryFreeSpace(const std::string& root);
    void ShowFreeSpace(const std::string& root);
    // The menu entry of folder number 0..8 (8: the AVC entry).
    QAction* SlotEntry(int number) const;
    // Removes what interrupted copies left in the destination folders of
    // DriveRoot, once per drive selected.
    void SweepCopyLeftovers();

    // --- main window (app/) ----------------------------------------------------
    void ArrangeControls();
    void ShowLibraryPane(bool open);
    void SpeedButton1Click();
    // keyCode: the virtual key code (VirtualKeyCode); 116 is F5.
    void FormKeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Timer1Timer();
    void FormShow();
    void FormActivate();
    void FormResize();
    void Button2Click();
    // A termination signal: cancels a running transfer, then closes.
    void TerminationRequested();

    // --- library listing (library/) --------------------------------------------
    // The profile that ReadVideoProfile read last.
    TVideoProfile VideoProfile;
    // The title and the profile of a video; both throw EFileOpenError when
    // the file cannot be opened (the profile then already reset).
    std::string ReadPspTitle(const std::string& fileName);
    void ReadVideoProfile(const std::string& fileName);
    void RefreshLibrary();

    // --- destination naming (transfer/) ------------------------------------------
    // Sets DestStem to the next free device name in the folder of the codec.
    // False, DestStem untouched, when there is none: all 9999 numbers are
    // taken, or ListView1 does not hold a complete listing of that folder.
    bool NextVideoName(const std::string& codec);
    bool IsNameTaken(const std::string& name);

    // --- selection, thumbnails, play and delete (library/) ----------------------
    void ListView1SelectItem();
    void ListView1DblClick();
    // keyCode: the virtual key code; 13 (Enter) plays, 46 (Delete) deletes.
    void ListView1KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void BitBtn2Click();
    void BitBtn3Click();
    void ShowSelection();
    // image: Image1 or Image3.
    void FitThumbnail(TPictureBox* image);
    void LoadOtherThumbnail(const std::string& fileName);
    // Large JPEG thumbnails are decoded at a reduced DCT scale; false decodes
    // them at full size (the benchmark's peer).
    bool ThumbnailDctScaling = true;

    // --- drop intake and transfer (transfer/) ------------------------------------
    // The handler of a drop: the dropped native paths in drop order.
    void WMDropFiles(const std::vector<std::string>& names);
    bool EnsureDestDir(const std::string& folder, int count, const std::string& kindLabel);
    void SumSourceSizes(int count);
    void RunTransfer(int count, bool allowMpeg4, bool allowMusic, bool allowPhoto, bool allowAvc);
    bool TransferVideo(bool ok, const std::string& baseName, const std::string& codec);
    bool TransferPlain(bool ok, const std::string& folder, const std::string& baseName, const std::string& ext);
    // mayReplace false: an existing file of the destination's name fails the
    // copy (device names of videos never replace one anyway).
    bool CopyWithProgress(const std::string& source, const std::string& destination, bool mayReplace = true);
    void CancelClick();
    // A drop accepted and waiting in the event queue for WMDropFiles.
    bool DropQueued = false;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Refreshes begun; a refresh that finds a newer one begun stops.
    std::uint64_t libraryRefreshes_ = 0;
    // DriveRoot + folder of the listing in ListView1, once it ran to its end.
    std::optional<std::string> completeListing_;
    // The drive letter (upper case) that SweepCopyLeftovers last swept.
    char sweptDrive_ = 0;
    void BuildControls();
    void BuildFolderMenu();
    void ConnectHandlers();
    void RebuildDriveList();
    void ConnectSelectionHandlers();
    // False when libjpeg cannot read the file; Image1 then keeps its picture.
    bool LoadJpegIntoImage1(const std::string& fileName);
    // Gives Image1 a copy of a placeholder store's picture.
    void ShowPlaceholder(const TPictureBox& store);

    QTimer* closeWhenIdle_ = nullptr;
    const QEvent* previewedKey_ = nullptr;
    QPointer<QWidget> previewedTarget_;
};

// The virtual key code of a key event (13 Enter, 46 Delete, 112.. F1..); 0
// for keys the program does not look at.
int VirtualKeyCode(int qtKey);

} // namespace vidlark
