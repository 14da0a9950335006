#include "UVersion.h"

#include "Dialogs.h"
#include "Fonts.h"
#include "IniFile.h"
#include "ProgramIcon.h"
#include "QtText.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace pravik {

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TFmVersion::TFmVersion(Dialogs& dialogs, std::string iniPath, OpenAddress openAddress, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      iniPath_(std::move(iniPath)),
      openAddress_(std::move(openAddress))
{
    setObjectName(QStringLiteral("FmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(windowFont());
    setFixedSize(298, 146);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(8, 8, 282, 98);

    ProgramIcon = addLabel(panel, "ProgramIcon", QString(), QRect(12, 12, 32, 32));
    ProgramIcon->setPixmap(programIcon().pixmap(32, 32));
    lApp = addLabel(panel, "lApp", QString(), QRect(60, 10, 214, 18));
    QFont bold = lApp->font();
    bold.setBold(true);
    lApp->setFont(bold);
    addLabel(panel, "L2", QStringLiteral("バージョン"), QRect(60, 32, 70, 16));
    lVer = addLabel(panel, "lVer", QString(), QRect(134, 32, 140, 16));
    addLabel(panel, "Label1", QStringLiteral("作成"), QRect(60, 52, 70, 16));
    addLabel(panel, "Label2", QStringLiteral("Pravik 開発チーム"), QRect(134, 52, 140, 16));
    // A link, so it takes the hand cursor and can be reached with Tab too.
    Label3 = addLabel(panel, "Label3",
                      QStringLiteral("<a href=\"home\" style=\"color:#0000ff; text-decoration:underline\">"
                                     "ホームページ</a>"),
                      QRect(60, 72, 100, 16));
    Label3->setTextFormat(Qt::RichText);
    Label3->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Label3->setOpenExternalLinks(false);
    connect(Label3, &QLabel::linkActivated, this, [this] { Label3Click(); });

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 114, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TFmVersion::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FormShow();
        // Enter closes the box: the link is one Tab away.
        OKButton->setFocus();
        // Centred once more at the first opening, never off the top or left
        // edge; later openings keep where the user left it.
        if (!centred_) {
            centred_ = true;
            // By the whole window, its frame included, as move() places it.
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                const QSize area = screen->size();
                const QSize outer = frameGeometry().size();
                move(std::max(0, (area.width() - outer.width()) / 2), std::max(0, (area.height() - outer.height()) / 2));
            }
        }
    }
    QDialog::showEvent(event);
}

void TFmVersion::FormShow()
{
    try {
        const IniFile ini(iniPath_);
        lApp->setText(toQString(ini.readString("TITLE", "APP_NAME", "")));
        lVer->setText(toQString(ini.readString("TITLE", "VERSION", "")));
        homePage_ = toQString(ini.readString("TITLE", "HOMEPAGE", ""));
    } catch (const std::exception& error) {
        dialogs_.showError(this, QString::fromUtf8(error.what()));
    }
    Label3->setToolTip(homePage_);
    // Without an address there is no page: no link that goes nowhere.
    Label3->setVisible(!homePage_.trimmed().isEmpty());
}

void TFmVersion::Label3Click()
{
    // No address, no page: nothing to open and nothing to report.
    if (homePage_.trimmed().isEmpty())
        return;
    if (!openAddress_(homePage_))
        dialogs_.showError(this, QStringLiteral("ホームページ %1 を開けません").arg(homePage_));
}

} // namespace pravik
