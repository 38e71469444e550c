#pragma once
// The real window on the fake platform with drive E selected, and the files
// that the listing tests put on it.

#include "tests/app/WindowFixture.h"
#include "tests/media/Mp4Bytes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vidlark::test {

class LibraryWindowFixture : public WindowFixture {
protected:
    static constexpr const char* Mpeg4Folder = "MP_ROOT/100MNV01";
    static constexpr const char* AvcFolder = "MP_ROOT/101ANV01";

    LibraryWindowFixture() { WriteSettings("[Drive]\nDrv=E:\\\n"); }

    // A file on drive E, by its path below the drive's folder.
    std::filesystem::path Put(const std::string& relative, const TBytes& bytes = {})
    {
        return temp.Write("E/" + relative, bytes);
    }

    // A video carrying both boxes.
    static TBytes Video(const std::u16string& title, const TVprfFields& fields = {})
    {
        return Ftyp() + ProfileUuid(Vprf(fields)) + MoovWithUuid(Mtdt(MtdtEntry(Japanese, title)));
    }

    // Makes the file impossible to open for reading, also for root (whose
    // permission override the kernel's sysctl files do not honour). False
    // when this system allows neither.
    static bool MakeUnreadable(const std::filesystem::path& file)
    {
        ::chmod(file.c_str(), 0);
        if (::access(file.c_str(), R_OK) != 0)
            return true;
        std::filesystem::remove(file);
        std::filesystem::create_symlink("/proc/sys/vm/drop_caches", file);
        return ::access(file.c_str(), R_OK) != 0;
    }

    std::vector<std::string> Row(int row) const
    {
        std::vector<std::string> texts;
        const QTreeWidgetItem* item = window->ListView1->topLevelItem(row);
        for (int column = 0; column < 8; ++column)
            texts.push_back(item->text(column).toStdString());
        return texts;
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int row = 0; row < window->ListView1->topLevelItemCount(); ++row)
            captions.push_back(window->ListView1->topLevelItem(row)->text(0).toStdString());
        return captions;
    }
    std::vector<std::string> Headers() const
    {
        std::vector<std::string> headers;
        for (int column = 0; column < 8; ++column)
            headers.push_back(window->ListView1->headerItem()->text(column).toStdString());
        return headers;
    }
};

} // namespace vidlark::test
