// Layout of the two panes, the library pane's opening and closing, the
// polling and the window-level events.
#include "app/TTovan_Form1.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace vidlark {

namespace {
constexpr int ClientHeight = 262;
constexpr int TransferPaneWidth = 416;
constexpr int BothPanesWidth = 832;
constexpr int KeyF5 = 116;
} // namespace

void TTovan_Form1::ArrangeControls()
{
    if (height() != ClientHeight)
        resize(width(), ClientHeight);
    const int left = ListBox1->x();
    // The minimum keeps the window manager from making the window narrower.
    const int minimum = LibraryOpen ? BothPanesWidth : TransferPaneWidth;
    setMinimumWidth(minimum);
    if (width() < minimum)
        resize(minimum, ClientHeight);
    const int w = width();
    ListBox1->resize(LibraryOpen ? w / 2 - 2 * left : w - 2 * left, ListBox1->height());
    const int queueEnd = left + ListBox1->width();

    Panel1->move(queueEnd - 27, Panel1->y());
    Panel2->resize(queueEnd + 2, Panel2->height());
    const int libraryLeft = Panel1->x() + 35;
    ListView1->setGeometry(libraryLeft, ListView1->y(), w / 2 - left, ListView1->height());
    Bevel1->setGeometry(libraryLeft, Bevel1->y(), ListView1->width(), Bevel1->height());
    Label6->setGeometry(libraryLeft + 8, Label6->y(), ListView1->width() - 8, Label6->height());
    Panel3->setGeometry(libraryLeft + 123, Panel3->y(), ListView1->width() - 125, Panel3->height());
    BitBtn2->move(libraryLeft + 160, BitBtn2->y());
    BitBtn3->move(libraryLeft + 272, BitBtn3->y());
    Bevel2->move(libraryLeft, Bevel2->y());
    for (TPictureBox* picture : {Image1, Image3})
        picture->move(libraryLeft + 2 + (120 - picture->width()) / 2,
                      ListView1->y() + ListView1->height() + 7 + (90 - picture->height()) / 2);
}

void TTovan_Form1::ShowLibraryPane(bool open)
{
    if (open && Platform.DirectoryExists(DriveRoot + CurrentDestDir())) {
        LibraryOpen = true;
        SpeedButton1->setEnabled(true);
        RefreshLibrary();
    } else {
        if (open)
            SpeedButton1->setEnabled(false);
        LibraryOpen = false;
        Image1->hide();
        Image3->hide();
        // Back to the transfer pane as it stands (832 goes back to 416).
        if (isMaximized())
            setWindowState(windowState() & ~Qt::WindowMaximized);
        setMinimumWidth(TransferPaneWidth);
        resize(2 * ListBox1->x() + ListBox1->width(), ClientHeight);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{ListView1, Label6, Panel3, BitBtn2, BitBtn3, Bevel1, Bevel2})
        control->setVisible(LibraryOpen);
    SpeedButton1->setChecked(LibraryOpen);
    ArrangeControls();
    repaint();
}

void TTovan_Form1::SpeedButton1Click()
{
    ShowLibraryPane(!LibraryOpen);
}

void TTovan_Form1::FormKeyDown(int keyCode, Qt::KeyboardModifiers)
{
    if (keyCode == KeyF5)
        SpeedButton1Click();
}

void TTovan_Form1::Timer1Timer()
{
    if (Platform.DirectoryExists(DriveRoot + CurrentDestDir())) {
        SpeedButton1->setEnabled(true);
    } else {
        if (LibraryOpen) {
            LibraryOpen = false;
            ShowLibraryPane(false);
        }
        SpeedButton1->setEnabled(false);
    }
    ShowFreeSpace(DriveRoot);
    DriveComboBox1->repaint();
    repaint();
}

void TTovan_Form1::FormShow()
{
    setAcceptDrops(!DropBusy);
}

void TTovan_Form1::FormActivate()
{
    ShowFreeSpace(DriveRoot);
    repaint();
}

void TTovan_Form1::FormResize()
{
    ArrangeControls();
    repaint();
}

void TTovan_Form1::Button2Click()
{
    close();
}

void TTovan_Form1::TerminationRequested()
{
    if (CloseAllowed) {
        close();
        return;
    }
    // Busy with a drop: stop the transfer and close once it has wound down.
    CancelRequested = true;
    closeWhenIdle_->start();
}

void TTovan_Form1::closeEvent(QCloseEvent* event)
{
    // The user's close is vetoed while dropped files are being handled, and
    // abandoned when the settings cannot be written.
    if (!CloseAllowed || !Guarded([this] { FormClose(); }))
        event->ignore();
    else
        event->accept();
}

void TTovan_Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Guarded([this] { FormShow(); });
}

void TTovan_Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Guarded([this] { FormResize(); });
}

bool TTovan_Form1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Guarded([this] { FormActivate(); });
    return QWidget::event(event);
}

bool TTovan_Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    auto* target = static_cast<QWidget*>(watched);
    if (target->window() != this)
        return false;
    // A key that a control ignores travels on to its parents: preview it
    // only at its first stop.
    const bool travelling = event == previewedKey_ && previewedTarget_ && target->isAncestorOf(previewedTarget_);
    previewedKey_ = event;
    previewedTarget_ = target;
    if (!travelling) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int code = VirtualKeyCode(key->key());
        const Qt::KeyboardModifiers shift = key->modifiers();
        Guarded([this, code, shift] { FormKeyDown(code, shift); });
    }
    return false;
}

} // namespace vidlark
