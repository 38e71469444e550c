#include "app/TTovan_Form1.h"

#include "app/WindowFonts.h"
#include "imaging/TIFFGraphic.h"

#include <QApplication>
#include <QHeaderView>
#include <QIcon>

// Resources of a static library must be pulled in by name.
static void InitWindowResources()
{
    Q_INIT_RESOURCE(vidlark);
}

namespace vidlark {

namespace {

template <typename T>
T* Place(T* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font, int left, int top, int width)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(left, top, width, QFontMetrics(font).height() + 2);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& text, int left, int top, const QString& glyph = {})
{
    auto* button = Place(new QPushButton(text, parent), left, top, 73, 25);
    button->setFont(WindowFont(13, true));
    if (!glyph.isEmpty())
        button->setIcon(QIcon(glyph));
    return button;
}

QFrame* MakeFrame(QWidget* parent, QFrame::Shape shape, QFrame::Shadow shadow)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(shape);
    frame->setFrameShadow(shadow);
    return frame;
}

TPictureBox* MakePicture(QWidget* parent, const QImage& picture, int left, int top, int width, int height)
{
    auto* box = Place(new TPictureBox(parent), left, top, width, height);
    box->SetPicture(picture);
    return box;
}

} // namespace

TTovan_Form1::TTovan_Form1(TPlatform& platform, QWidget* parent) : QWidget(parent), Platform(platform)
{
    // Warnings of the JPEG library about a TIFF thumbnail reach the user.
    TTIFFGraphic::OnJpegWarning = [this](const std::string& text) { Platform.ShowWarningBox(text); };
    InitWindowResources();
    BuildControls();
    BuildFolderMenu();
    ConnectHandlers();
    RebuildDriveList();
    Platform.WatchMounts([this] { RebuildDriveList(); });
    qApp->installEventFilter(this); // the window previews every key press
    Guarded([this] { FormCreate(); });
}

TTovan_Form1::~TTovan_Form1()
{
    TTIFFGraphic::OnJpegWarning = nullptr;
    Platform.WatchMounts({});
}

void TTovan_Form1::BuildControls()
{
    setObjectName(QStringLiteral("Tovan_Form1"));
    setWindowTitle(QStringLiteral("Vidlark v1.60"));
    setFont(WindowFont(12, false));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setMinimumSize(416, 262);
    setMaximumHeight(262);
    resize(416, 262);

    const QFont bold = WindowFont(13, true);
    const QImage missing(QStringLiteral(":/vidlark/placeholder-missing.jpg"));

    // Frames first: they lie under everything else.
    Bevel1 = Place(MakeFrame(this, QFrame::Box, QFrame::Sunken), 416, 166, 393, 94);
    Bevel2 = Place(MakeFrame(this, QFrame::Panel, QFrame::Sunken), 416, 166, 122, 94);
    Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Bevel2->setAttribute(Qt::WA_TransparentForMouseEvents);

    Label2 = MakeLabel(this, QStringLiteral("PSPへ転送する.mp4ファイルを↓にドラッグ＆ドロップしてください"), bold, 8, 1, 382);

    ListBox1 = Place(new QListWidget(this), 8, 16, 401, 145);
    ListBox1->setStyleSheet(QStringLiteral("QListWidget::item { height: 12px; }"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    Animate1 = Place(new TCopyAnimation(this), 64, 88, 272, 60);
    Animate1->hide();

    Panel1 = Place(MakeFrame(this, QFrame::NoFrame, QFrame::Plain), 384, 18, 25, 25);
    Panel1->setToolTip(QStringLiteral("Directory"));
    Panel1->setContextMenuPolicy(Qt::CustomContextMenu);
    SpeedButton1 = Place(new TSpeedButton(Panel1), 0, 0, 25, 25);
    SpeedButton1->setCheckable(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    QIcon glyph;
    glyph.addFile(QStringLiteral(":/vidlark/folder-up.png"), {}, QIcon::Normal, QIcon::Off);
    glyph.addFile(QStringLiteral(":/vidlark/folder-down.png"), {}, QIcon::Normal, QIcon::On);
    glyph.addFile(QStringLiteral(":/vidlark/folder-disabled.png"), {}, QIcon::Disabled, QIcon::Off);
    glyph.addFile(QStringLiteral(":/vidlark/folder-disabled.png"), {}, QIcon::Disabled, QIcon::On);
    SpeedButton1->setIcon(glyph);
    SpeedButton1->setIconSize(QSize(18, 18));

    Panel2 = Place(MakeFrame(this, QFrame::NoFrame, QFrame::Plain), 0, 168, 409, 97);
    Label3 = MakeLabel(Panel2, QStringLiteral("準備完了"), bold, 16, 4, 390);
    Label4 = MakeLabel(Panel2, QStringLiteral("      "), bold, 16, 28, 312);
    Gauge1 = Place(new QProgressBar(Panel2), 8, 56, 169, 25);
    Gauge1->setRange(0, 1); // a maximum of 0 would show a busy bar
    Gauge1->setValue(0);
    Gauge1->setTextVisible(true);
    Gauge1->setFormat(QStringLiteral("%p%"));
    Gauge1->setAlignment(Qt::AlignCenter);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(12);
    Gauge1->setFont(arial);
    QPalette gaugeColours = Gauge1->palette();
    gaugeColours.setColor(QPalette::Highlight, Qt::blue);
    gaugeColours.setColor(QPalette::Base, QColor(192, 192, 192));
    gaugeColours.setColor(QPalette::Window, QColor(192, 192, 192));
    gaugeColours.setColor(QPalette::Text, Qt::white);
    gaugeColours.setColor(QPalette::HighlightedText, Qt::white);
    Gauge1->setPalette(gaugeColours);
    Label1 = MakeLabel(Panel2, QStringLiteral("↓コピー先PSPドライブ"), bold, 192, 36, 142);
    DriveComboBox1 = Place(new TDriveComboBox(Panel2), 192, 54, 129, 19);
    DriveComboBox1->setFont(WindowFont(13, false));
    Label5 = MakeLabel(Panel2, QStringLiteral("空き容量:"), WindowFont(12, true), 192, 77, 142);
    Cancel = MakeButton(Panel2, QStringLiteral("中止"), 336, 32);
    Button2 = MakeButton(Panel2, QStringLiteral("終了"), 336, 64);

    Label6 = MakeLabel(this, QString(), bold, 416, 0, 385);
    ListView1 = Place(new QTreeWidget(this), 416, 16, 393, 145);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("サイズ"), QStringLiteral("タイトル"),
                                QStringLiteral("横"), QStringLiteral("縦"), QStringLiteral("fps"),
                                QStringLiteral("kbps"), QStringLiteral("codec")});
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    const int widths[] = {90, 60, 250, 30, 30, 40, 40};
    for (int column = 0; column < 7; ++column)
        ListView1->setColumnWidth(column, widths[column]);

    Image1 = MakePicture(this, missing, 416, 168, 120, 90);
    Image3 = MakePicture(this, missing, 416, 168, 120, 90);
    Panel3 = Place(MakeFrame(this, QFrame::NoFrame, QFrame::Plain), 537, 170, 270, 51);
    Label7 = MakeLabel(Panel3, QStringLiteral("選択ファイル:"), WindowFont(12, true), 7, 5, 2000);
    Label8 = MakeLabel(Panel3, QString(), WindowFont(12, false), 16, 24, 2000);
    BitBtn2 = MakeButton(this, QStringLiteral("再生"), 576, 224, QStringLiteral(":/vidlark/play.png"));
    BitBtn3 = MakeButton(this, QStringLiteral("削除"), 688, 224, QStringLiteral(":/vidlark/delete.png"));

    // Stores of the placeholder thumbnails, below the client area.
    Image2 = MakePicture(this, missing, 624, 264, 33, 25);
    Image4 = MakePicture(this, QImage(QStringLiteral(":/vidlark/placeholder-video.jpg")), 664, 264, 33, 25);
    Image5 = MakePicture(this, QImage(QStringLiteral(":/vidlark/placeholder-music.jpg")), 704, 264, 33, 25);

    FileListBox1 = Place(new QListWidget(this), 424, 264, 177, 25);
    FileListBox1->hide();

    Timer1 = new QTimer(this);
    closeWhenIdle_ = new QTimer(this);
    closeWhenIdle_->setInterval(100);

    setTabOrder(Button2, DriveComboBox1);
    setTabOrder(DriveComboBox1, Cancel);
    setTabOrder(Cancel, ListView1);
    setTabOrder(ListView1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    setTabOrder(BitBtn3, ListBox1);
    setTabOrder(ListBox1, FileListBox1);
}

void TTovan_Form1::BuildFolderMenu()
{
    SelectDirectory = new QMenu(this);
    SelectDirectoryGroup = new QActionGroup(SelectDirectory);
    SelectDirectoryGroup->setExclusive(true);
    const auto entry = [this](int tag) {
        QAction* action = SelectDirectory->addAction(QStringLiteral("Dir"));
        action->setCheckable(true);
        action->setData(tag);
        SelectDirectoryGroup->addAction(action);
        return action;
    };
    QAction** slotEntries[] = {&Dir1, &Dir2, &Dir3, &Dir4, &Dir5, &Dir6, &Dir7, &Dir8};
    for (int tag = 0; tag < 8; ++tag)
        *slotEntries[tag] = entry(tag);
    N1 = SelectDirectory->addSeparator();
    Dir9 = entry(8);
    N2 = SelectDirectory->addSeparator();
    Dir10 = entry(9);
    Dir11 = entry(10);
}

void TTovan_Form1::ConnectHandlers()
{
    connect(Panel1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { SelectDirectory->popup(Panel1->mapToGlobal(at)); });
    connect(SelectDirectory, &QMenu::triggered, this,
            [this](QAction* sender) { Guarded([this, sender] { Dir1Click(sender); }); });
    connect(DriveComboBox1, &TDriveComboBox::DriveChanged, this,
            [this] { Guarded([this] { DriveComboBox1Change(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { Guarded([this] { SpeedButton1Click(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
    ConnectSelectionHandlers();
    connect(Cancel, &QPushButton::clicked, this, [this] { Guarded([this] { CancelClick(); }); });
    connect(closeWhenIdle_, &QTimer::timeout, this, [this] {
        if (!CloseAllowed)
            return;
        closeWhenIdle_->stop();
        close();
    });
}

void TTovan_Form1::RebuildDriveList()
{
    DriveComboBox1->SetDrives(Platform.ListDrives());
}

} // namespace vidlark
