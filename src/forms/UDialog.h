#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace pravik {

// The small always-on-top window that names the file in hand while the main
// window works through a set of files, and lets the user ask it to stop.
// The stop request lives with the caller (the main window's abortFlag): the
// dialog only writes it, the caller's loop reads it between two files.
class TFmDialog : public QDialog {
    Q_OBJECT

public:
    // Outer size of the window; the main window centres it with these.
    static constexpr int outerWidth = 323;
    static constexpr int outerHeight = 124;

    // No parent on purpose: the main window is disabled while a loop runs,
    // and a disabled parent would disable its Abort button too.
    explicit TFmDialog(int& abortFlag);

    // Sets both lines and shows the window in front; a window that is
    // already visible stays where it is. Callable again to change the lines.
    void showProgress(const QString& message, const QString& fileLine);
    void hideProgress();

    // Places the window in the middle of a screen of the given size.
    void centreOn(const QSize& screenSize);

    // What the Abort button does: the caller's loop stops after the file in
    // hand, and until then the window says that it is stopping.
    void requestStop();
    // The file in hand is a preview the loop waits on: a stop then waits for
    // the user to close it, and the window says so.
    void setPreviewing(bool previewing);
    // The user's choice that a stop also cancels the job the file in hand
    // has already given the print system.
    bool cancelsJobInHand() const;

signals:
    // Abort was asked for (the button, or requestStop()).
    void stopRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void btnAbortClick();

private:
    // Widens the window to its message line, never narrower than designed:
    // a count cut off in the middle says nothing.
    void fitToMessage();

    int& abortFlag_;
    bool previewing_ = false;
    QLabel* lMsg;
    QLabel* lCnt;
    QPushButton* btnAbort;
    QCheckBox* chkCancelJob;
};

} // namespace pravik
