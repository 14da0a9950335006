#pragma once

#include <QDialog>

namespace pravik {

// The version window; its contents come with the version dialog.
class TFmVersion : public QDialog {
    Q_OBJECT
public:
    explicit TFmVersion(QWidget* parent = nullptr);
};

} // namespace pravik
