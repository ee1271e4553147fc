// TMatrixForm: the controls that live as long as the window: the main menu
// (with the keys of the finder and of take mode), the tool bar with the layer
// buttons, the mode list, the X-Y field and the take buttons, the two group
// boxes of the grid, the four paging buttons and their page labels.

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QWidget>
#include <algorithm>

#include "ui/ElidedLabel.h"
#include "ui/QXRMainControl.h"

namespace mc {

namespace {

enum class Arrow { Up, Down, Left, Right };

// A filled arrow on a transparent 16 × 16 picture.
QIcon arrowIcon(Arrow direction) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x9a));
    QPolygonF shape;
    switch (direction) {
        case Arrow::Up:
            shape << QPointF(8, 2) << QPointF(15, 10) << QPointF(10.5, 10) << QPointF(10.5, 14)
                  << QPointF(5.5, 14) << QPointF(5.5, 10) << QPointF(1, 10);
            break;
        case Arrow::Down:
            shape << QPointF(8, 14) << QPointF(15, 6) << QPointF(10.5, 6) << QPointF(10.5, 2)
                  << QPointF(5.5, 2) << QPointF(5.5, 6) << QPointF(1, 6);
            break;
        case Arrow::Left:
            shape << QPointF(2, 8) << QPointF(10, 1) << QPointF(10, 5.5) << QPointF(14, 5.5)
                  << QPointF(14, 10.5) << QPointF(10, 10.5) << QPointF(10, 15);
            break;
        case Arrow::Right:
            shape << QPointF(14, 8) << QPointF(6, 1) << QPointF(6, 5.5) << QPointF(2, 5.5)
                  << QPointF(2, 10.5) << QPointF(6, 10.5) << QPointF(6, 15);
            break;
    }
    painter.drawPolygon(shape);
    painter.end();
    QIcon icon(picture);
    return icon;
}

QAction* addItem(QMenu* menu, const QString& caption, const QString& hint, const QString& name) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    if (!hint.isEmpty()) {
        item->setStatusTip(hint);
        item->setToolTip(hint);
    }
    return item;
}

QPushButton* pagingButton(QWidget* parent, const QString& name, Arrow direction, int width,
                          int height) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(arrowIcon(direction));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(width, height);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

void setHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

QKeySequence keypadEnter() {
    return QKeySequence(Qt::Key_Enter);
}

// "hint（Ctrl+Return、Enter）": a hint with the keys that do the same.
QString withKeys(const QString& hint, const QKeySequence& key,
                 const QKeySequence& other = QKeySequence()) {
    QString keys = key.toString(QKeySequence::NativeText);
    if (!other.isEmpty())
        keys = TMatrixForm::tr("%1、%2").arg(keys, other.toString(QKeySequence::NativeText));
    return TMatrixForm::tr("%1（%2）").arg(hint, keys);
}

}  // namespace

void TMatrixForm::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MatrixMainMenu"));

    FileSubMenu = bar->addMenu(tr("文件（&F）"));
    FileSubMenu->setObjectName(QStringLiteral("FileSubMenu"));
    ReadItem =
        addItem(FileSubMenu, tr("读入数据（&O）"), tr("读入数据"), QStringLiteral("ReadItem"));
    SaveMatrixStatusItem = addItem(FileSubMenu, tr("保存数据（&S）"), tr("保存数据"),
                                   QStringLiteral("SaveMatrixStatusItem"));
    ResendStateItem = addItem(FileSubMenu, tr("重新发送当前状态"),
                              tr("把当前状态重新发送给矩阵（矩阵断电或重新插接后使用）"),
                              QStringLiteral("ResendStateItem"));
    JournalItem = addItem(FileSubMenu, tr("操作记录(&J)"), tr("查看切换操作记录"),
                          QStringLiteral("JournalItem"));
    FileSubMenu->addSeparator();
    ExitItem =
        addItem(FileSubMenu, tr("退出（&X）"), tr("退出应用程序"), QStringLiteral("ExitItem"));

    EditMenu = bar->addMenu(tr("编辑(&E)"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    UndoItem = addItem(EditMenu, tr("撤销(&U)"), tr("撤销上一次切换（模式、状态文件）"),
                       QStringLiteral("UndoItem"));
    UndoItem->setShortcut(QKeySequence(QKeySequence::Undo));
    RedoItem = addItem(EditMenu, tr("重做(&R)"), tr("重做撤销的切换"), QStringLiteral("RedoItem"));
    RedoItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    EditMenu->addSeparator();
    FindPortItem = addItem(EditMenu, tr("查找端口(&F)"), tr("按端口号或名称查找输入和输出"),
                           QStringLiteral("FindPortItem"));
    FindPortItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    EditMenu->addSeparator();
    TakeModeItem = addItem(EditMenu, tr("预选(&P)"), tr("预选：点击只预选切换，按“执行”后才发送"),
                           QStringLiteral("TakeModeItem"));
    TakeModeItem->setCheckable(true);
    TakeModeItem->setShortcut(QKeySequence(Qt::Key_F9));
    TakeItem = addItem(EditMenu, tr("执行(&T)"), tr("发送预选的切换"), QStringLiteral("TakeItem"));
    TakeItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    ClearItem =
        addItem(EditMenu, tr("清除(&L)"), tr("清除预选的切换"), QStringLiteral("ClearItem"));
    ClearItem->setShortcut(QKeySequence(Qt::Key_Escape));
    // The hints name the keys; "执行" also takes the keypad's Enter in take mode.
    TakeModeItem->setToolTip(withKeys(TakeModeItem->statusTip(), TakeModeItem->shortcut()));
    TakeItem->setToolTip(withKeys(TakeItem->statusTip(), TakeItem->shortcut(), keypadEnter()));
    ClearItem->setToolTip(withKeys(ClearItem->statusTip(), ClearItem->shortcut()));

    ConfigMenu = bar->addMenu(tr("配置（&C）"));
    ConfigMenu->setObjectName(QStringLiteral("ConfigMenu"));
    ConfigMenuItem =
        addItem(ConfigMenu, tr("系统配置（&I）"), tr("系统配置"), QStringLiteral("ConfigMenuItem"));

    MatrixModeN = bar->addMenu(tr("矩阵模式（&M）"));
    MatrixModeN->setObjectName(QStringLiteral("MatrixModeN"));
    NewMatrixModeN =
        addItem(MatrixModeN, tr("新建模式(&N)"), QString(), QStringLiteral("NewMatrixModeN"));
    SaveMatrixModeN =
        addItem(MatrixModeN, tr("保存模式(&S)"), QString(), QStringLiteral("SaveMatrixModeN"));
    DeleteMatrixModeN =
        addItem(MatrixModeN, tr("删除模式(&D)"), QString(), QStringLiteral("DeleteMatrixModeN"));

    HelpMenu = bar->addMenu(tr("帮助（&H）"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    AboutMenuItem =
        addItem(HelpMenu, tr("关于（&A）"), tr("关于本软件"), QStringLiteral("AboutMenuItem"));

    connect(ReadItem, &QAction::triggered, this, [this] { ReadItemClick(); });
    connect(SaveMatrixStatusItem, &QAction::triggered, this,
            [this] { SaveMatrixStatusItemClick(); });
    connect(ResendStateItem, &QAction::triggered, this, [this] { ResendStateItemClick(); });
    connect(JournalItem, &QAction::triggered, this, [this] { JournalItemClick(); });
    connect(UndoItem, &QAction::triggered, this, [this] { UndoItemClick(); });
    connect(RedoItem, &QAction::triggered, this, [this] { RedoItemClick(); });
    connect(FindPortItem, &QAction::triggered, this, [this] { FindPortItemClick(); });
    connect(TakeModeItem, &QAction::triggered, this, [this](bool on) {
        TakeModeButton->setChecked(on);
        TakeModeButtonClick();
    });
    connect(TakeItem, &QAction::triggered, this, [this] { TakeButtonClick(); });
    connect(ClearItem, &QAction::triggered, this, [this] { ClearButtonClick(); });
    connect(ExitItem, &QAction::triggered, this, [this] { ExitItemClick(); });
    connect(ConfigMenuItem, &QAction::triggered, this, [this] { ConfigMenuItemClick(); });
    connect(NewMatrixModeN, &QAction::triggered, this, [this] { NewMatrixModeNClick(); });
    connect(SaveMatrixModeN, &QAction::triggered, this, [this] { SaveMatrixModeNClick(); });
    connect(DeleteMatrixModeN, &QAction::triggered, this, [this] { DeleteMatrixModeNClick(); });
    connect(AboutMenuItem, &QAction::triggered, this, [this] { AboutMenuItemClick(); });
}

void TMatrixForm::createToolBar() {
    constexpr int kToolBarHeight = 35;
    MatrixToolBar = new QToolBar(this);
    MatrixToolBar->setObjectName(QStringLiteral("MatrixToolBar"));
    MatrixToolBar->setMovable(false);
    MatrixToolBar->setFloatable(false);
    MatrixToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    MatrixToolBar->toggleViewAction()->setVisible(false);
    MatrixToolBar->setFixedHeight(kToolBarHeight);
    MatrixToolBar->setContentsMargins(0, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, MatrixToolBar);

    // The tool bar's controls stand at fixed places on one panel.
    auto* panel = new QWidget(MatrixToolBar);
    panel->setObjectName(QStringLiteral("MatrixToolPanel"));
    const int panelHeight = kToolBarHeight - 4;
    auto centred = [panelHeight](QWidget* widget, int left, int width) {
        const int height = std::min(panelHeight, widget->sizeHint().height());
        widget->setGeometry(left, (panelHeight - height) / 2, width, height);
    };

    struct Layer {
        QRadioButton** button;
        const char16_t* name;
        QString caption;
        QString hint;
        int left;
    };
    const Layer layers[] = {
        {&VideoRadioButton, u"VideoRadioButton", tr("视频控制"), tr("视频切换模式"), 0},
        {&AudioRadioButton, u"AudioRadioButton", tr("音频控制"), tr("音频切换模式"), 86},
        {&VideoAndAudioRadioButton, u"VideoAndAudioRadioButton", tr("音视频控制"),
         tr("音频视频切换模式"), 172},
    };
    auto* group = new QButtonGroup(panel);
    group->setExclusive(true);
    for (const Layer& layer : layers) {
        auto* button = new QRadioButton(layer.caption, panel);
        button->setObjectName(QString::fromUtf16(layer.name));
        setHint(button, layer.hint);
        centred(button, layer.left, std::max(86, button->sizeHint().width()));
        group->addButton(button);
        *layer.button = button;
    }
    connect(VideoRadioButton, &QRadioButton::toggled, this, [this] { VideoRadioButtonClick(); });
    connect(AudioRadioButton, &QRadioButton::toggled, this, [this] { AudioRadioButtonClick(); });
    connect(VideoAndAudioRadioButton, &QRadioButton::toggled, this,
            [this] { VideoAndAudioRadioButtonClick(); });

    const int afterLayers = VideoAndAudioRadioButton->geometry().right() + 1;
    auto* separator1 = new QFrame(panel);
    separator1->setFrameShape(QFrame::VLine);
    separator1->setFrameShadow(QFrame::Sunken);
    const int separator1Left = std::max(afterLayers + 4, 270);
    separator1->setGeometry(separator1Left, 4, 2, panelHeight - 8);

    Label1 = new QLabel(tr("矩阵模式   "), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int labelLeft = std::max(283, separator1Left + 13);
    centred(Label1, labelLeft, std::max(57, Label1->sizeHint().width()));

    auto* separator2 = new QFrame(panel);
    separator2->setFrameShape(QFrame::VLine);
    separator2->setFrameShadow(QFrame::Sunken);
    const int separator2Left = Label1->geometry().right() + 6;
    separator2->setGeometry(separator2Left, 4, 2, panelHeight - 8);

    MatrixModeComboBox = new QComboBox(panel);
    MatrixModeComboBox->setObjectName(QStringLiteral("MatrixModeComboBox"));
    MatrixModeComboBox->setEditable(false);
    const int comboLeft = std::max(365, separator2Left + 8);
    centred(MatrixModeComboBox, comboLeft, 110);
    connect(MatrixModeComboBox, &QComboBox::activated, this,
            [this](int index) { MatrixModeComboBoxChange(index); });

    panel->setFixedSize(MatrixModeComboBox->geometry().right() + 4, panelHeight);
    MatrixToolBar->addWidget(panel);

    // The X-Y field and take mode ("预选" stages clicks, "执行" sends them,
    // "清除" drops them): tool bar items of their own, so that a narrow window
    // shows them in the tool bar's extension menu instead of growing.
    m_takeItems = {MatrixToolBar->addSeparator()};
    QuickSwitchEdit = new QLineEdit(MatrixToolBar);
    QuickSwitchEdit->setObjectName(QStringLiteral("QuickSwitchEdit"));
    QuickSwitchEdit->setPlaceholderText(tr("快速切换"));
    QuickSwitchEdit->setAccessibleName(tr("快速切换"));
    setHint(QuickSwitchEdit,
            tr("输出号、空格或点、输入号，回车切换（如 40 50 或 40.50）；Esc 清空"));
    QuickSwitchEdit->setFixedWidth(
        QuickSwitchEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000.0000")) +
        std::max(40, QuickSwitchEdit->fontMetrics().horizontalAdvance(
                         QuickSwitchEdit->placeholderText())));
    QuickSwitchEdit->installEventFilter(this);
    m_takeItems.push_back(MatrixToolBar->addWidget(QuickSwitchEdit));
    QuickSwitchNames = new ElidedLabel(MatrixToolBar);
    QuickSwitchNames->setObjectName(QStringLiteral("QuickSwitchNames"));
    QuickSwitchNames->setFixedWidth(160);
    m_takeItems.push_back(MatrixToolBar->addWidget(QuickSwitchNames));
    connect(QuickSwitchEdit, &QLineEdit::textChanged, this, [this] { QuickSwitchEditChange(); });
    connect(QuickSwitchEdit, &QLineEdit::returnPressed, this, [this] { QuickSwitchEditReturn(); });
    m_takeItems.push_back(MatrixToolBar->addSeparator());
    auto button = [this](QPushButton*& field, const QString& caption, const char* name,
                         const QString& hint) {
        field = new QPushButton(caption, MatrixToolBar);
        field->setObjectName(QString::fromLatin1(name));
        setHint(field, hint);
        // As wide as the caption needs, not the style's wider minimum.
        field->setFixedWidth(std::max(48, field->fontMetrics().horizontalAdvance(caption) + 24));
        m_takeItems.push_back(MatrixToolBar->addWidget(field));
    };
    button(TakeModeButton, tr("预选"), "TakeModeButton", TakeModeItem->toolTip());
    TakeModeButton->setCheckable(true);
    button(TakeButton, tr("执行"), "TakeButton", TakeItem->toolTip());
    button(ClearButton, tr("清除"), "ClearButton", ClearItem->toolTip());
    connect(TakeModeButton, &QPushButton::clicked, this, [this] { TakeModeButtonClick(); });
    connect(TakeButton, &QPushButton::clicked, this, [this] { TakeButtonClick(); });
    connect(ClearButton, &QPushButton::clicked, this, [this] { ClearButtonClick(); });
}

void TMatrixForm::createFrame() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MatrixClientArea"));
    setCentralWidget(central);

    QFont bold = font();
    bold.setBold(true);

    GroupBox = new QGroupBox(central);
    GroupBox->setObjectName(QStringLiteral("GroupBox"));
    GroupBox->setFont(bold);

    InputGroupBox = new QGroupBox(GroupBox);
    InputGroupBox->setObjectName(QStringLiteral("InputGroupBox"));
    InputGroupBox->setFont(bold);

    InputStaticText = new QLabel(tr("输入通道"), InputGroupBox);
    InputStaticText->setObjectName(QStringLiteral("InputStaticText"));
    QFont large = bold;
    large.setPixelSize(16);
    InputStaticText->setFont(large);
    InputStaticText->setForegroundRole(QPalette::ToolTipText);
    InputStaticText->setAlignment(Qt::AlignCenter);
    InputStaticText->resize(std::max(72, InputStaticText->sizeHint().width()),
                            std::max(24, InputStaticText->sizeHint().height()));

    LeftBitBtn = pagingButton(InputGroupBox, QStringLiteral("LeftBitBtn"), Arrow::Left, 40, 21);
    RightBitBtn = pagingButton(InputGroupBox, QStringLiteral("RightBitBtn"), Arrow::Right, 40, 25);
    UpBitBtn = pagingButton(GroupBox, QStringLiteral("UpBitBtn"), Arrow::Up, 25, 41);
    DownBitBtn = pagingButton(GroupBox, QStringLiteral("DownBitBtn"), Arrow::Down, 25, 41);
    connect(LeftBitBtn, &QPushButton::clicked, this, [this] { LeftBitBtnClick(); });
    connect(RightBitBtn, &QPushButton::clicked, this, [this] { RightBitBtnClick(); });
    connect(UpBitBtn, &QPushButton::clicked, this, [this] { UpBitBtnClick(); });
    connect(DownBitBtn, &QPushButton::clicked, this, [this] { DownBitBtnClick(); });

    // The page shown, beside the buttons, in the window's own font.
    InputPageLabel = new QLabel(InputGroupBox);
    InputPageLabel->setObjectName(QStringLiteral("InputPageLabel"));
    OutputPageLabel = new QLabel(GroupBox);
    OutputPageLabel->setObjectName(QStringLiteral("OutputPageLabel"));
    for (QLabel* label : {InputPageLabel, OutputPageLabel}) {
        label->setFont(font());
        label->hide();
    }
}

}  // namespace mc
