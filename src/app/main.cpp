#include "Dialogs.h"
#include "ExecutablePath.h"
#include "Fonts.h"
#include "Startup.h"
#include "UMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    pravik::installJapaneseFontSubstitutes();
    QApplication::setFont(pravik::windowFont());
    pravik::QtDialogs dialogs;
    try {
        pravik::Windows windows = pravik::createWindows(dialogs, pravik::executableDir());
        windows.FmMain->show();
        app.exec();
    } catch (const std::exception& error) {
        dialogs.showError(nullptr, QString::fromUtf8(error.what()));
    }
    return 0;
}
