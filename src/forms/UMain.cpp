#include "UMain.h"

#include "Dialogs.h"
#include "Dropdst.h"
#include "ExecutablePath.h"
#include "Fonts.h"
#include "PrintListModel.h"
#include "RowSelectionModel.h"
#include "ToolbarIcons.h"
#include "WindowSlot.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pravik {

namespace {

constexpr int designedLeft = 99;
constexpr int designedTop = 235;
constexpr int designedWidth = 589;
constexpr int designedHeight = 325;
constexpr int designedWidths[columnCount] = {150, 150, 200, 40, 40, 100, 200};

QFrame* groupDivider(QWidget* parent)
{
    auto* bevel = new QFrame(parent);
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

} // namespace

TFmMain::TFmMain(Dialogs& dialogs, std::string appFolder, MainServices services, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      appFolder_(std::move(appFolder)),
      guideFolder_(appFolder_),
      services_(std::move(services)),
      fileCommands_(list_, *this, settings_.titlePrefix, appFolder_ + kPathSeparator + "save" + kPathSeparator)
{
    worker_ = std::make_unique<AutomationWorker>(services_.automation);
    officeIdle_ = new QTimer(this);
    officeIdle_->setObjectName(QStringLiteral("officeIdle"));
    officeIdle_->setSingleShot(true);
    officeIdle_->setInterval(kOfficeIdleLimit);
    connect(officeIdle_, &QTimer::timeout, this, &TFmMain::endIdleOffices);
    setObjectName(QStringLiteral("FmMain"));
    setFont(windowFont());
    setWindowTitle(QStringLiteral("Pravik[*]"));
    setGeometry(designedLeft, designedTop, designedWidth, designedHeight);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    buildToolbar();
    buildListView();
    buildStyleViews();
    buildMenus();
    layout->addWidget(pMenu);
    layout->addWidget(lstView, 1);

    stsBar = new QStatusBar(this);
    stsBar->setObjectName(QStringLiteral("stsBar"));
    stsBar->setFixedHeight(19);
    stsBar->setSizeGripEnabled(true);
    // A label rather than a passing message, which any menu item's empty
    // status tip would wipe.
    stsText = new QLabel(stsBar);
    stsText->setObjectName(QStringLiteral("stsText"));
    stsBar->addWidget(stsText, 1);
    setStatusBar(stsBar);
    // Another list (or none): the text of the old one's cell would mislead.
    connect(model_, &QAbstractItemModel::modelReset, stsText, &QLabel::clear);

    buildMenu();
}

TFmMain::~TFmMain() = default;

void TFmMain::setSecondaryWindows(std::vector<QWidget*> windows)
{
    secondaryWindows_ = std::move(windows);
}

QToolButton* TFmMain::addToolButton(const char* name, const QString& caption, const QString& hint,
                                    int tag, const QString& icon)
{
    auto* button = new QToolButton(pMenu);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(toolbarIcon(icon));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(55, 45);
    button->setProperty("tag", tag);
    pMenu->layout()->addWidget(button);
    return button;
}

void TFmMain::buildToolbar()
{
    pMenu = new QFrame(this);
    pMenu->setObjectName(QStringLiteral("pMenu"));
    pMenu->setFixedHeight(52);
    pMenu->setFrameShape(QFrame::StyledPanel);
    pMenu->setFrameShadow(QFrame::Sunken);
    auto* row = new QHBoxLayout(pMenu);
    row->setContentsMargins(3, 2, 3, 2);
    row->setSpacing(1);

    btnPrt = addToolButton("btnPrt", QStringLiteral("印刷開始"), QStringLiteral("印刷を開始します"), 0,
                           QStringLiteral("print"));
    row->addWidget(groupDivider(pMenu));
    btnNew = addToolButton("btnNew", QStringLiteral("新規(&N)"), QStringLiteral("リストを新規作成します"),
                           1, QStringLiteral("new"));
    btnOpen = addToolButton("btnOpen", QStringLiteral("開く"), QStringLiteral("リストを開きます"), 2,
                            QStringLiteral("open"));
    btnSave = addToolButton("btnSave", QStringLiteral("保存"),
                            QStringLiteral("リストを上書き保存します"), 3, QStringLiteral("save"));
    row->addWidget(groupDivider(pMenu));
    btnAdd = addToolButton("btnAdd", QStringLiteral("追加(&A)"),
                           QStringLiteral("EXCEL、WORDファイルを追加します"), 1, QStringLiteral("add"));
    btnDel = addToolButton("btnDel", QStringLiteral("削除(&D)"), QStringLiteral("リストから削除します"), 2,
                           QStringLiteral("delete"));
    btnSet = addToolButton("btnSet", QStringLiteral("設定(&O)"), QStringLiteral("印刷設定を行います"), 3,
                           QStringLiteral("settings"));
    row->addWidget(groupDivider(pMenu));
    btnHyouji = addToolButton("btnHyouji", QStringLiteral("表示 ▼"),
                              QStringLiteral("表示タイプを変更します"), 1, QStringLiteral("view"));
    btnUp = addToolButton("btnUp", QStringLiteral("上に移動"),
                          QStringLiteral("選択しているリストを上に移動します"), 2, QStringLiteral("up"));
    btnDown = addToolButton("btnDown", QStringLiteral("下に移動"),
                            QStringLiteral("選択しているリストを下に移動します"), 3, QStringLiteral("down"));
    row->addStretch(1);

    btnSave->setEnabled(false);
    connect(btnPrt, &QToolButton::clicked, this, &TFmMain::btnPrtClick);
    connect(btnAdd, &QToolButton::clicked, this, [this] { btnAddClick(1); });
    connect(btnSet, &QToolButton::clicked, this, [this] { btnAddClick(3); });
    for (QToolButton* button : {btnNew, btnOpen, btnSave})
        connect(button, &QToolButton::clicked, this,
                [this, button] { btnNewClick(button->property("tag").toInt()); });
}

void TFmMain::buildListView()
{
    model_ = new PrintListModel(list_, this);
    lstView = new QTableView(this);
    lstView->setObjectName(QStringLiteral("lstView"));
    lstView->setModel(model_);
    QItemSelectionModel* defaultSelection = lstView->selectionModel();
    lstView->setSelectionModel(new RowSelectionModel(model_, this));
    delete defaultSelection;
    lstView->setShowGrid(true);
    lstView->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstView->setWordWrap(false);
    lstView->setIconSize(QSize(16, 16));
    lstView->verticalHeader()->hide();
    lstView->verticalHeader()->setDefaultSectionSize(18);
    lstView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lstView->horizontalHeader()->setSectionsMovable(true);
    lstView->horizontalHeader()->setHighlightSections(false);
    // The last column (the path, unless moved) takes the window's extra width.
    lstView->horizontalHeader()->setStretchLastSection(true);
    lstView->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Keep the selection visible when the list loses the focus.
    QPalette palette = lstView->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    lstView->setPalette(palette);
    for (int column = 0; column < columnCount; ++column)
        lstView->setColumnWidth(column, designedWidths[column]);

    drop = new TDropDst(this);
    drop->setObjectName(QStringLiteral("drop"));
    drop->SetControl(lstView);
    drop->OnFileDrop = [this](TDropDst* sender, const std::vector<std::string>& files, int x, int y) {
        dropFileDrop(sender, files, x, y);
    };
    drop->OnError = [this](const QString& message) { dialogs_.showError(this, message); };
}

void TFmMain::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        dialogs_.showError(this, QString::fromUtf8(error.what()));
    }
}

} // namespace pravik
