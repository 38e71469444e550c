#pragma once
// The small layer that stands between the program and the operating system.
// The window and its subsystems reach dialogs, sounds, drives, files and the
// message pump only through TPlatform, so tests can swap in TFakePlatform.
//
// Paths: the program keeps paths on the stick in drive-letter form
// ("E:\MP_ROOT\100MNV01\M4V09999.MP4"); dropped files arrive as native paths
// ("/home/u/clip.mp4"). Every path argument below accepts either form; a
// drive-letter path is translated at the moment of the operation (ResolvePath).
// All texts are UTF-8.

#include "platform/FileCalls.h"
#include "platform/ProfileFile.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vidlark {

// The two standard message dialogs of the program.
enum class TDialogKind {
    dkWarningYesNo, // caption "警告", buttons "はい(&Y)" and "いいえ(&N)"
    dkErrorOk,      // caption "エラー", button "OK"
};

enum class TModalResult { mrNone, mrOk, mrYes, mrNo };

// A failure that ends the event it met: the window's failure guard shows its
// text in the "Vidlark" box and the window goes on. what() is UTF-8.
class EVidlarkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One entry of the drive selector.
struct TDriveEntry {
    char Letter = 'C';          // upper case, 'A'..'Z'
    std::string Label;          // volume label, may be empty
    std::filesystem::path MountPoint;
};

// One file found by a directory search.
struct TSearchRec {
    std::string Name;           // file name without folder
    std::int64_t Size = 0;      // bytes
    bool IsDirectory = false;
    bool Hidden = false;        // leading "." or the FAT hidden attribute
    bool System = false;        // the FAT system attribute
};

// A plain file opened for reading: ReadAt reads up to count bytes from
// position on into out and gives how many it read (fewer only at the end of
// the file), or -1 when the system failed. Length is the file's at opening.
struct TOpenedFile {
    std::function<std::int64_t(std::int64_t position, std::uint8_t* out, std::size_t count)> ReadAt;
    std::int64_t Length = 0;
};

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // --- user interface ---------------------------------------------------
    virtual TModalResult ShowMessageDialog(TDialogKind kind, const std::string& text) = 0;
    // type: 0, 16, 48 or 64 as the program uses them.
    virtual void MessageBeep(unsigned type) = 0;
    // The box for a failure that ended an event: titled "Vidlark"; the text is
    // shown as FailureBoxText makes it.
    virtual void ShowFailureBox(const std::string& text) = 0;
    // A plain box captioned "Warning" with a warning of the JPEG library.
    virtual void ShowWarningBox(const std::string& text) = 0;
    // Handles all pending window messages, then returns.
    virtual void ProcessMessages() = 0;
    // Opens a file with the program associated with it (no shell in between).
    virtual bool OpenWithAssociatedProgram(const std::string& path,
                                           const std::filesystem::path& workingFolder) = 0;

    // --- volumes ----------------------------------------------------------
    // The drives for the selector, in letter order.
    virtual std::vector<TDriveEntry> ListDrives() = 0;
    // Bytes available to the user on drive number 1 (A) .. 26 (Z); -1 when
    // the number is out of range, the letter has no volume or the query fails.
    virtual std::int64_t DiskFree(int driveNumber) = 0;
    // Calls onChange (on the user-interface thread) whenever the mount table
    // changes. One watcher per platform object; a second call replaces it.
    virtual void WatchMounts(std::function<void()> onChange) = 0;
    // The native path of a drive-letter or native path; empty when the letter
    // has no volume. Components that do not exist under their exact name are
    // matched without regard to letter case.
    virtual std::optional<std::filesystem::path> ResolvePath(const std::string& path) = 0;

    // --- files ------------------------------------------------------------
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    // Creates the folder together with its missing parents.
    virtual bool ForceDirectories(const std::string& path) = 0;
    // The entries of a folder whose names match mask ("*", "*.MP4", "*.*"),
    // without regard to case, in no particular order.
    virtual std::vector<TSearchRec> FindFiles(const std::string& folder, const std::string& mask) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Opens a plain file (links followed) at a native path for reading.
    // Anything else (a folder, a pipe, a device) fails at once, without
    // waiting for a writer. ReadAt is empty on failure.
    virtual TOpenedFile OpenFileForReading(const std::filesystem::path& native) = 0;

    // --- settings file ----------------------------------------------------
    // The settings file: beside the executable when that can be written, else
    // in the user's configuration folder. Named in the write-failure message.
    virtual std::filesystem::path SettingsPath() = 0;
    // The settings as stored; empty when there is no file or it cannot be read.
    virtual TProfileFile LoadSettings() = 0;
    // Replaces the settings file as a whole (the old one survives a failure).
    virtual bool SaveSettings(const TProfileFile& settings) = 0;

    // --- copy engine --------------------------------------------------------
    // The calls through which copies sync, rename and remove their files.
    virtual TFileCalls& CopyCalls() = 0;
};

// "Vidlark" box text: a full stop is appended when the last character sorts
// above ".".
std::string FailureBoxText(const std::string& text);

} // namespace vidlark
