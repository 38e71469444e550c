#pragma once

#include "platform/Platform.h"

#include <QComboBox>

#include <vector>

namespace vidlark {

// The drive selector. It holds a drive letter, which it reports in lower
// case; DriveChanged is raised when the user picks another drive or the
// program sets a different letter. A letter without a volume is kept while
// the list goes on showing the drive it showed before.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent);

    // Rebuilds the list; not a change of drive.
    void SetDrives(const std::vector<TDriveEntry>& drives);
    // 'a'..'z'.
    char Drive() const { return drive_; }
    void SetDrive(char letter);

signals:
    void DriveChanged();

private:
    void SelectItemOf(char letter);

    char drive_ = 'c';
};

} // namespace vidlark
