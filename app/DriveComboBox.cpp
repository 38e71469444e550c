#include "app/DriveComboBox.h"

#include <QSignalBlocker>

#include <cctype>

namespace vidlark {

namespace {

char Lower(char letter)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

QString ItemText(const TDriveEntry& drive)
{
    QString text = QString(QChar(Lower(drive.Letter))) + QStringLiteral(":");
    if (!drive.Label.empty())
        text += QStringLiteral(" [") + QString::fromStdString(drive.Label) + QStringLiteral("]");
    text += QStringLiteral(" ") + QString::fromStdString(drive.MountPoint.string());
    return text;
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    // Only the user's choice is a change; a rebuilt list is not.
    connect(this, &QComboBox::activated, this, [this](int index) {
        const char letter = static_cast<char>(itemData(index).toInt());
        if (letter == drive_)
            return;
        drive_ = letter;
        emit DriveChanged();
    });
}

void TDriveComboBox::SetDrives(const std::vector<TDriveEntry>& drives)
{
    const QSignalBlocker blocker(this);
    const QVariant shown = currentData();
    clear();
    for (const auto& drive : drives)
        addItem(ItemText(drive), static_cast<int>(Lower(drive.Letter)));
    SelectItemOf(drive_);
    if (currentIndex() < 0 && shown.isValid())
        setCurrentIndex(findData(shown));
}

void TDriveComboBox::SetDrive(char letter)
{
    letter = Lower(letter);
    if (letter == drive_)
        return;
    drive_ = letter;
    SelectItemOf(letter);
    emit DriveChanged();
}

void TDriveComboBox::SelectItemOf(char letter)
{
    const int index = findData(static_cast<int>(letter));
    if (index >= 0) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
}

} // namespace vidlark
