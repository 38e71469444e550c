// Vidlark: copies videos, music and photos onto a PSP memory stick.
#include "app/TTovan_Form1.h"
#include "imaging/ImageFormats.h"
#include "platform/QtPlatform.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignal.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <csignal>

int main(int argc, char** argv)
{
    // Under a file-size limit a write then fails with EFBIG, which fails that
    // copy cleanly, instead of the signal ending the program in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
    // Caught before anything is set up: a SIGTERM during start-up waits for the
    // window and closes it as the exit button would, status 0, instead of
    // killing the program half-way.
    const vidlark::TTerminationSignal termination;
    QApplication application(argc, argv);
    // One copy per user and display; a second one ends at once, silently.
    const auto lock = vidlark::TSingleInstanceLock::Acquire("TTovan_Form1");
    if (!lock)
        return 0;

    QApplication::setApplicationName(QStringLiteral("Vidlark"));
    QApplication::setDesktopFileName(QStringLiteral("vidlark"));
    // A pinned style keeps the look, and the designed pixel sizes, apart from the desktop theme.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());

    vidlark::TQtPlatform platform;
    // The picture format registry lives from before the window until after the message loop.
    const vidlark::TImageLibrary imageLibrary;
    vidlark::TTovan_Form1 window(platform);
    const auto delivery = termination.DeliverTo([&window] { window.TerminationRequested(); });
    window.show();
    return QApplication::exec();
}
