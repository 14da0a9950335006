#include "UVersion.h"

#include "Fonts.h"

namespace pravik {

TFmVersion::TFmVersion(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(windowFont());
    setFixedSize(298, 146);
}

} // namespace pravik
