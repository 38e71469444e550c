// The library list's selection, double-click and key events, and the
// selection details they show.
#include "app/TTovan_Form1.h"

#include "library/SelectedRow.h"
#include "media/FileNames.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

namespace vidlark {

namespace {

// Hands the list's key presses to a handler and lets them go on to the list.
class TKeyDownFilter : public QObject {
public:
    TKeyDownFilter(QObject* parent, std::function<void(int, Qt::KeyboardModifiers)> onKeyDown)
        : QObject(parent), onKeyDown_(std::move(onKeyDown))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            onKeyDown_(VirtualKeyCode(key->key()), key->modifiers());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int, Qt::KeyboardModifiers)> onKeyDown_;
};

// Tells the list's double-clicks made with another button than the left
// one, which do not count as a double-click of the list.
class TDoubleClickFilter : public QObject {
public:
    using QObject::QObject;

    // Whether the double-click now being handled came from another button;
    // answered once per double-click.
    bool TakeOtherButton() { return std::exchange(otherButton_, false); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            otherButton_ = static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton;
        return QObject::eventFilter(watched, event);
    }

private:
    bool otherButton_ = false;
};

constexpr int KeyEnter = 13;
constexpr int KeyDelete = 46;

} // namespace

void TTovan_Form1::ConnectSelectionHandlers()
{
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this,
            [this] { Guarded([this] { ListView1SelectItem(); }); });
    // Not itemActivated: Enter would play twice, once more through the key handler.
    auto* doubleClick = new TDoubleClickFilter(ListView1->viewport());
    ListView1->viewport()->installEventFilter(doubleClick);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this, doubleClick] {
        if (!doubleClick->TakeOtherButton())
            Guarded([this] { ListView1DblClick(); });
    });
    ListView1->installEventFilter(new TKeyDownFilter(ListView1, [this](int keyCode, Qt::KeyboardModifiers shift) {
        Guarded([this, keyCode, shift] { ListView1KeyDown(keyCode, shift); });
    }));
    connect(BitBtn2, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn3Click(); }); });
}

void TTovan_Form1::ListView1SelectItem()
{
    ShowSelection();
}

void TTovan_Form1::ListView1DblClick()
{
    ShowSelection();
    BitBtn2Click();
}

void TTovan_Form1::ListView1KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    if (keyCode == KeyEnter)
        BitBtn2Click();
    if (keyCode == KeyDelete)
        BitBtn3Click();
}

void TTovan_Form1::ShowSelection()
{
    const std::optional<TSelectedRow> row = SelectedRow(*ListView1);
    if (!row) {
        Label7->setText(QStringLiteral("選択ファイル:"));
        Label8->clear();
        Image1->hide();
        Image3->hide();
        return;
    }
    Label7->setText(QString::fromStdString("選択ファイル: " + row->Name + " - " + row->SizeText));
    Label8->setText(QString::fromStdString(row->Title));

    // A video's thumbnail is its .THM sidecar, a photo is its own; music has none.
    std::string thumbnail;
    if (DestKind == dkMpeg4 || DestKind == dkAvc)
        thumbnail = DriveRoot + CurrentDestDir() + ExtractBaseName(row->Name) + ".THM";
    else if (DestKind == dkPhoto)
        thumbnail = DriveRoot + CurrentDestDir() + row->Name;

    if (!thumbnail.empty() && Platform.FileExists(thumbnail)) {
        if (LoadJpegIntoImage1(thumbnail)) {
            Image1->show();
            Image3->hide();
        } else {
            ShowPlaceholder(*Image2);
            Image1->hide();
            LoadOtherThumbnail(thumbnail);
        }
    } else {
        ShowPlaceholder(DestKind == dkMusic ? *Image5 : DestKind == dkPhoto ? *Image2 : *Image4);
        Image1->show();
        Image3->hide();
    }
    if (!Image1->isHidden())
        FitThumbnail(Image1);
    if (!Image3->isHidden())
        FitThumbnail(Image3);
}

} // namespace vidlark
