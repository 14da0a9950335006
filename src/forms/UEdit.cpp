#include "UEdit.h"

#include "Fonts.h"

namespace pravik {

TFmEdit::TFmEdit(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FmEdit"));
    setWindowTitle(QStringLiteral("設定"));
    setFont(windowFont());
    setFixedSize(585, 305);
}

} // namespace pravik
