#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace pravik {

class Dialogs;

// The options window: edits section "MAIN" of main.ini for the next start.
// It never touches the running program's settings.
class TFmOption : public QDialog {
    Q_OBJECT
public:
    // `iniPath` (CP932) is main.ini, read at every show and written by OK.
    TFmOption(Dialogs& dialogs, std::string iniPath, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void btnOkClick(int tag);

    Dialogs& dialogs_;
    std::string iniPath_;

    QRadioButton* rdoBetu = nullptr;
    QRadioButton* rdoAll = nullptr;
    QCheckBox* chkInfo = nullptr;
    QCheckBox* chkOnaji = nullptr;
    QCheckBox* chkFile = nullptr;
    QRadioButton* rdoEx1 = nullptr;
    QRadioButton* rdoEx2 = nullptr;
    QRadioButton* rdoEx3 = nullptr;
    QCheckBox* chkSort = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace pravik
