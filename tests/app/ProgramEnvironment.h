#pragma once
// The environment of the real program started by a test: offscreen, with a
// home, configuration and runtime folder of its own below the test's folder.

#include <QProcessEnvironment>
#include <QString>

#include <filesystem>

namespace vidlark {

inline QProcessEnvironment ProgramEnvironment(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder / "home");
    std::filesystem::create_directories(folder / "runtime");
    std::filesystem::permissions(folder / "runtime", std::filesystem::perms::owner_all);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString((folder / "home").string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((folder / "runtime").string()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((folder / "home/.config").string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

} // namespace vidlark
