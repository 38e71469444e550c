#pragma once
// The real window on the fake platform: drive E is a temporary folder, the
// settings file lies beside it.

#include "app/TTovan_Form1.h"
#include "platform/FakePlatform.h"
#include "tests/platform/TempFolder.h"

#include <QApplication>
#include <QContextMenuEvent>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace vidlark {

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture()
    {
        std::filesystem::create_directories(temp / "E");
        platform.MapDrive('E', temp / "E", "PSP");
        platform.SettingsFile = temp / "vidlark.ini";
    }

    void WriteSettings(const std::string& bytes) { temp.Write("vidlark.ini", bytes); }
    std::string SettingsText() const { return ReadFile(temp / "vidlark.ini"); }
    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void MakeFolder(const std::string& relative) { std::filesystem::create_directories(temp / "E" / relative); }

    TTovan_Form1& Open()
    {
        window.reset();
        window = std::make_unique<TTovan_Form1>(platform);
        window->show();
        return *window;
    }
    // Closes as the exit button does; true when the window went.
    bool CloseWindow()
    {
        window->Button2->click();
        return !window->isVisible();
    }

    TTempFolder temp;
    TFakePlatform platform;
    std::unique_ptr<TTovan_Form1> window;
};

// The eleven keys of a first run, as they are written.
inline std::string DefaultSettingsWritten(const std::string& drive = "C:\\")
{
    std::string text = "[Drive]\nDrv=" + drive + "\n[Directory]\nDir=MP_ROOT\\100MNV01\\\n";
    for (int slot = 1; slot < 8; ++slot)
        text += "Dir" + std::to_string(slot) + "=MP_ROOT\\100MNV01\\\n";
    return text + "DirNo=0\nAVCDir=MP_ROOT\\101ANV01\\\n";
}

} // namespace vidlark
