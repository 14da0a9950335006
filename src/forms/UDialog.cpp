#include "UDialog.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace pravik {

namespace {

// Client area of the 323 x 124 window with a dialog frame and caption.
constexpr int clientWidth = 317;
constexpr int clientHeight = 99;
// Printing, the window is this much taller for the job's check box.
constexpr int cancelRowHeight = 22;

} // namespace

TFmDialog::TFmDialog(int& abortFlag)
    : QDialog(nullptr), abortFlag_(abortFlag)
{
    setObjectName("FmDialog");
    setWindowTitle(QStringLiteral("処理中・・・"));
    // Topmost so that it stays above the disabled main window and the office
    // servers' windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowStaysOnTopHint);
    setModal(false);
    setFixedSize(clientWidth, clientHeight);

    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);

    lMsg = new QLabel(QStringLiteral("ただいまファイルを起動中です。しばらくお待ちください。"), this);
    lMsg->setObjectName("lMsg");
    lMsg->move(24, 11);
    lMsg->adjustSize(); // the message line grows with its text

    // The file line keeps its size: a long name is cut, not spread over the button.
    lCnt = new QLabel(this);
    lCnt->setObjectName("lCnt");
    lCnt->setGeometry(24, 35, 265, std::max(12, lCnt->fontMetrics().height()));
    QPalette palette = lCnt->palette();
    palette.setColor(QPalette::WindowText, QColor(0x40, 0x80, 0x80));
    lCnt->setPalette(palette);
    lCnt->hide();

    btnAbort = new QPushButton(QStringLiteral("中止"), this);
    btnAbort->setObjectName("btnAbort");
    btnAbort->setGeometry(114, 59, 75, 25);
    btnAbort->setIcon(style()->standardIcon(QStyle::SP_BrowserStop));
    btnAbort->setCursor(Qt::PointingHandCursor);
    btnAbort->setAutoDefault(false);
    connect(btnAbort, &QPushButton::clicked, this, &TFmDialog::btnAbortClick);

    // Offered while printing: a document the print system already has
    // would otherwise come out whole after the stop.
    chkCancelJob = new QCheckBox(QStringLiteral("印刷中のジョブも取り消す"), this);
    chkCancelJob->setObjectName("chkCancelJob");
    chkCancelJob->setToolTip(QStringLiteral("中止したとき、今のファイルがすでにプリンターに送られていれば、その印刷も取り消します"));
    chkCancelJob->move(24, clientHeight - 6);
    chkCancelJob->adjustSize();
    setPreviewing(false);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        centreOn(screen->size());
}

void TFmDialog::setPreviewing(bool previewing)
{
    previewing_ = previewing;
    chkCancelJob->setVisible(!previewing);
    setFixedSize(width(), previewing ? clientHeight : clientHeight + cancelRowHeight);
}

bool TFmDialog::cancelsJobInHand() const
{
    return !previewing_ && chkCancelJob->isChecked();
}

void TFmDialog::centreOn(const QSize& screenSize)
{
    move(screenSize.width() / 2 - outerWidth / 2, screenSize.height() / 2 - outerHeight / 2);
}

void TFmDialog::showProgress(const QString& message, const QString& fileLine)
{
    // What is shown after a stop request says that the loop is stopping.
    if (isVisible() && !btnAbort->isEnabled())
        return;
    lMsg->setText(message);
    fitToMessage();
    lCnt->setText(fileLine);
    lCnt->show();
    show();
    raise();
}

void TFmDialog::fitToMessage()
{
    lMsg->adjustSize();
    const int width = std::max(clientWidth, lMsg->x() + lMsg->width() + lMsg->x());
    if (width == this->width())
        return;
    const int grown = width - this->width();
    setFixedSize(width, height());
    lCnt->resize(lCnt->width() + grown, lCnt->height());
    btnAbort->move((width - btnAbort->width()) / 2, btnAbort->y());
    move(x() - grown / 2, y()); // still centred where it stood
}

void TFmDialog::hideProgress()
{
    setPreviewing(false);
    lCnt->hide();
    hide();
}

void TFmDialog::showEvent(QShowEvent* event)
{
    // Only a real hidden-to-visible change starts a new loop; restoring a
    // minimised window must not forget a stop request.
    if (!event->spontaneous()) {
        abortFlag_ = 0;
        btnAbort->setEnabled(true);
        chkCancelJob->setChecked(false);
    }
    QDialog::showEvent(event);
}

// Closing from the window manager or with Escape would hide the window
// without a stop request, and the loop would go on with nothing on screen
// saying so: Abort is the one way out.
void TFmDialog::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TFmDialog::reject()
{
}

void TFmDialog::btnAbortClick()
{
    requestStop();
}

void TFmDialog::requestStop()
{
    QApplication::processEvents();
    abortFlag_ = 1;
    // The file in hand is finished first, which may take a while: the
    // window stays to say so until the loop ends.
    if (isVisible()) {
        lMsg->setText(previewing_ ? QStringLiteral("中止しています。プレビューを閉じると止まります。")
                                  : QStringLiteral("中止しています。今のファイルで止まります。"));
        fitToMessage();
        btnAbort->setEnabled(false);
    }
    emit stopRequested();
    QApplication::processEvents();
}

} // namespace pravik
