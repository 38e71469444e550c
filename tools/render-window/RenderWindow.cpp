// render-window STICK-FOLDER OUTPUT-FOLDER
//
// Builds the program's window on the test platform, with STICK-FOLDER as
// drive E:, and writes window-closed.png (library pane closed) and
// window-open.png (pane open on the MPEG-4 folder) into OUTPUT-FOLDER.
// A developer tool for screenshots; it runs without a display.
#include "app/TTovan_Form1.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: render-window STICK-FOLDER OUTPUT-FOLDER\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());

    const QTemporaryDir settingsFolder;
    vidlark::TFakePlatform platform;
    platform.MapDrive('E', std::filesystem::absolute(argv[1]), "PSP");
    platform.SettingsFile = settingsFolder.filePath(QStringLiteral("vidlark.ini")).toStdString();
    std::ofstream(platform.SettingsFile) << "[Drive]\nDrv=E:\\\n";

    vidlark::TTovan_Form1 window(platform);
    window.show();
    QApplication::processEvents();
    const QDir output(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(output.path()))
        return 1;
    bool written = window.grab().save(output.filePath(QStringLiteral("window-closed.png")));
    window.SpeedButton1Click();
    QApplication::processEvents();
    if (!window.LibraryOpen)
        std::fprintf(stderr, "render-window: %s has no MP_ROOT\\100MNV01 folder; the pane stays closed\n", argv[1]);
    // With the first row selected the details and the thumbnail show too.
    if (window.ListView1->topLevelItemCount() > 0) {
        window.ListView1->setCurrentItem(window.ListView1->topLevelItem(0));
        QApplication::processEvents();
    }
    written = window.grab().save(output.filePath(QStringLiteral("window-open.png"))) && written;
    return written ? 0 : 1;
}
