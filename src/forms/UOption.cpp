#include "UOption.h"

#include "Fonts.h"

namespace pravik {

TFmOption::TFmOption(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setFont(windowFont());
    setFixedSize(441, 367);
}

} // namespace pravik
