// The real program installed in a folder it cannot write, as a package puts
// it in /usr/bin: its settings live in the user's configuration folder.
#include "tests/app/ProgramEnvironment.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <unistd.h>

namespace vidlark {
namespace {

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// True once the process catches SIGTERM, that is, once the window is built
// and a termination closes it like its close button.
bool CatchesTermination(qint64 pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

struct TSettingsCase {
    const char* Name;
    std::string Beside;      // the file beside the program; empty: none
    std::string Configured;  // the file in the configuration folder; empty: none
    std::vector<std::string> Written;  // lines the configuration folder's file ends with
};

void PrintTo(const TSettingsCase& c, std::ostream* out) { *out << c.Name; }

class InstalledProgram : public ::testing::TestWithParam<TSettingsCase> {
protected:
    // Copies the program, with the settings file beside it when there is
    // one, into bin/ and makes that folder read-only. Root writes anywhere,
    // so for root bin/ is a tmpfs remounted read-only.
    bool Install(const std::string& settingsBeside)
    {
        std::filesystem::create_directories(bin);
        const bool asRoot = ::geteuid() == 0;
        if (asRoot && ::mount("tmpfs", bin.c_str(), "tmpfs", 0, "size=256m") != 0)
            return false;
        mounted = asRoot;
        std::filesystem::copy_file(VIDLARK_PROGRAM, bin / "vidlark");
        if (!settingsBeside.empty())
            std::ofstream(bin / "vidlark.ini", std::ios::binary) << settingsBeside;
        if (asRoot)
            return ::mount(nullptr, bin.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        std::filesystem::permissions(bin, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        return true;
    }
    ~InstalledProgram() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
        if (mounted)
            ::umount(bin.c_str());
        else
            std::filesystem::permissions(bin, std::filesystem::perms::owner_all);
    }
    // Starts the program, waits for its window, closes it as SIGTERM does.
    void RunAndClose()
    {
        program.setProcessEnvironment(ProgramEnvironment(temp.Path()));
        program.setProgram(QString::fromStdString((bin / "vidlark").string()));
        program.start();
        ASSERT_TRUE(program.waitForStarted(10000));
        QElapsedTimer waited;
        waited.start();
        while (!CatchesTermination(program.processId()) && waited.elapsed() < 20000 &&
               program.state() == QProcess::Running)
            QThread::msleep(20);
        ASSERT_TRUE(CatchesTermination(program.processId())) << program.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    }

    TTempFolder temp;
    std::filesystem::path bin = temp / "bin";
    std::filesystem::path configured = temp / "home/.config/Vidlark/vidlark.ini";
    QProcess program;
    bool mounted = false;
};

TEST_P(InstalledProgram, ReadsAndWritesItsSettingsInTheConfigurationFolder)
{
    const TSettingsCase& c = GetParam();
    if (!c.Configured.empty()) {
        std::filesystem::create_directories(configured.parent_path());
        std::ofstream(configured, std::ios::binary) << c.Configured;
    }
    if (!Install(c.Beside))
        GTEST_SKIP() << "cannot make a read-only folder for the program here";
    ASSERT_NE(::access(bin.c_str(), W_OK), 0) << "the program's folder is writable";

    RunAndClose();

    const std::string written = FileText(configured);
    for (const std::string& line : c.Written)
        EXPECT_NE(written.find(line + "\n"), std::string::npos) << line << " not in:\n" << written;
    EXPECT_EQ(FileText(bin / "vidlark.ini"), c.Beside);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, InstalledProgram,
    ::testing::Values(
        TSettingsCase{"NoFileYetWritesDefaults", "", "", {"[Directory]", "DirNo=0", "[Drive]"}},
        TSettingsCase{"ItsOwnFileIsReadAndKept", "", "; mine\n[Directory]\nDirNo=3\n", {"; mine", "DirNo=3"}},
        TSettingsCase{"TheFirstRunTakesOverTheFileBesideTheProgram", "[Directory]\nDirNo=2\n", "", {"DirNo=2"}},
        TSettingsCase{"ItsOwnFileWinsOverTheOneBeside", "[Directory]\nDirNo=2\n", "[Directory]\nDirNo=5\n",
                      {"DirNo=5"}}),
    [](const ::testing::TestParamInfo<TSettingsCase>& info) { return std::string(info.param.Name); });

} // namespace
} // namespace vidlark
