#pragma once

#include <QDialog>

namespace pravik {

// The entry editor: a non-modal window that stays above the others.
class TFmEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFmEdit(QWidget* parent = nullptr);
};

} // namespace pravik
