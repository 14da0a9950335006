#pragma once

#include <QDialog>

namespace pravik {

// The options window; its controls come with the options dialog.
class TFmOption : public QDialog {
    Q_OBJECT
public:
    explicit TFmOption(QWidget* parent = nullptr);
};

} // namespace pravik
