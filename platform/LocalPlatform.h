#pragma once
// The parts of TPlatform that work the same on the real system and in tests:
// files, folders and the settings file, on the native path that ResolvePath
// gives for a drive-letter path.

#include "platform/Platform.h"

namespace vidlark {

class TLocalPlatform : public TPlatform {
public:
    bool FileExists(const std::string& path) override;
    bool DirectoryExists(const std::string& path) override;
    bool ForceDirectories(const std::string& path) override;
    std::vector<TSearchRec> FindFiles(const std::string& folder, const std::string& mask) override;
    bool DeleteFile(const std::string& path) override;
    TOpenedFile OpenFileForReading(const std::filesystem::path& native) override;

    TProfileFile LoadSettings() override;
    bool SaveSettings(const TProfileFile& settings) override;

    // Drive-letter paths through DriveFolder, with case-blind matching of
    // components that do not exist under their exact name.
    std::optional<std::filesystem::path> ResolvePath(const std::string& path) override;

    TFileCalls& CopyCalls() override { return TFileCalls::System(); }

protected:
    // The folder that drive letter 'A'..'Z' stands for, if it has a volume.
    virtual std::optional<std::filesystem::path> DriveFolder(char letter) = 0;
};

} // namespace vidlark
