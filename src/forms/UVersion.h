#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace pravik {

class Dialogs;

// The version window: name, version and home page from section "TITLE" of
// main.ini, read afresh at every opening.
class TFmVersion : public QDialog {
    Q_OBJECT
public:
    // Opens an address in the desktop's browser; false when that failed.
    using OpenAddress = std::function<bool(const QString& address)>;

    // `iniPath` (CP932) is main.ini.
    TFmVersion(Dialogs& dialogs, std::string iniPath, OpenAddress openAddress,
               QWidget* parent = nullptr);

    // The home page address read at the last opening.
    const QString& homePage() const { return homePage_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Label3Click();

    Dialogs& dialogs_;
    std::string iniPath_;
    OpenAddress openAddress_;
    QString homePage_;
    bool centred_ = false;

    QLabel* ProgramIcon = nullptr;
    QLabel* lApp = nullptr;
    QLabel* lVer = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace pravik
