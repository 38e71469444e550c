// The real program started twice: the second copy ends at once, silently.
#include "platform/SingleInstance.h"
#include "tests/app/ProgramEnvironment.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vidlark {
namespace {

class TwoCopies : public ::testing::Test {
protected:
    TwoCopies()
    {
        // A copy of the program of its own, so its settings file lands here.
        std::filesystem::copy_file(VIDLARK_PROGRAM, program);
    }
    ~TwoCopies() override
    {
        for (QProcess* copy : {&first, &second})
            if (copy->state() != QProcess::NotRunning) {
                copy->kill();
                copy->waitForFinished(5000);
            }
    }
    void Start(QProcess& copy)
    {
        copy.setProcessEnvironment(environment);
        copy.setProgram(QString::fromStdString(program.string()));
        copy.start();
        ASSERT_TRUE(copy.waitForStarted(10000));
    }
    // True once some process holds the lock of the window class.
    bool LockIsHeld() const
    {
        const std::string path = (temp / "runtime/TTovan_Form1-none.lock").string();
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }
    // True once the copy catches SIGTERM instead of dying of it.
    static bool CatchesTermination(const QProcess& copy)
    {
        std::ifstream status("/proc/" + std::to_string(copy.processId()) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigCgt:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
        }
        return false;
    }
    // Polls until ready() holds or the copy has ended; false on a timeout.
    template <typename Ready>
    static bool WaitUntil(const QProcess& copy, Ready ready, int pollMilliseconds)
    {
        QElapsedTimer waited;
        waited.start();
        while (!ready() && waited.elapsed() < 20000 && copy.state() == QProcess::Running)
            QThread::msleep(pollMilliseconds);
        return ready();
    }

    TTempFolder temp;
    std::filesystem::path program = temp / "vidlark";
    QProcessEnvironment environment = ProgramEnvironment(temp.Path());
    QProcess first;
    QProcess second;
};

TEST_F(TwoCopies, TheSecondEndsAtOnceWithoutWindowOrMessage)
{
    Start(first);
    // Ready: it holds the lock, and a SIGTERM now closes it instead of killing it.
    ASSERT_TRUE(WaitUntil(first, [this] { return LockIsHeld() && CatchesTermination(first); }, 20))
        << first.readAllStandardError().toStdString();

    Start(second);
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    // The first copy closes on SIGTERM as the exit button would: settings written.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(temp / "vidlark.ini"));
    // Once it has gone a new copy may start.
    EXPECT_FALSE(LockIsHeld());
}

// Right after the lock is taken the window does not exist yet: the signal
// waits for it, and the program ends as the exit button would end it.
TEST_F(TwoCopies, ASigtermDuringStartUpEndsTheProgramCleanly)
{
    Start(first);
    ASSERT_TRUE(WaitUntil(first, [this] { return LockIsHeld(); }, 1)) << first.readAllStandardError().toStdString();
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(temp / "vidlark.ini"));
    EXPECT_FALSE(LockIsHeld());
}

} // namespace
} // namespace vidlark
