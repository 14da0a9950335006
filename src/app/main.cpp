#include "CrashLog.h"
#include "Dialogs.h"
#include "DisplayHold.h"
#include "Fonts.h"
#include "HeadlessMain.h"
#include "JapaneseTexts.h"
#include "OfficeLifetime.h"
#include "PopupAccessibility.h"
#include "PrintSystemPasswords.h"
#include "ProgramConsole.h"
#include "ProgramIcon.h"
#include "ProgramInfo.h"
#include "QtText.h"
#include "SettingsLocation.h"
#include "Startup.h"
#include "StopRequests.h"
#include "UMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <chrono>
#include <iostream>
#include <optional>

namespace {

QtMessageHandler previousQtHandler = nullptr;

// A fatal message of the toolkit ends the program with its text and a
// backtrace on record; the others go where they always went.
void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        pravik::crashWithMessage(text.toStdString());
    if (previousQtHandler)
        previousQtHandler(type, context, text);
    else
        std::cerr << qFormatLogMessage(type, context, text).toStdString() << std::endl;
}

// A list file named on the command line (as a file manager or Explorer
// passes it) opens in the window once it is up.
void openListOfCommandLine(pravik::TFmMain& window)
{
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1Char('-')))
            continue;
        const QString path = QFileInfo(arguments[i]).absoluteFilePath();
        QTimer::singleShot(0, &window, [&window, path] {
            window.guarded([&] { window.openListFile(pravik::pathFromQString(path)); });
        });
        return;
    }
}

int runWindows(int argc, char** argv)
{
    previousQtHandler = qInstallMessageHandler(onQtMessage);
    std::optional<pravik::DisplayHold> display(std::in_place, std::chrono::seconds(5));
    if (!display->failure().empty()) {
        std::cerr << "pravik: " << display->failure() << std::endl;
        return pravik::kRunImpossible;
    }
    pravik::useJapaneseSystemLocale();
    QApplication app(argc, argv);
    display.reset(); // the toolkit holds its own connection now
    pravik::installJapaneseTexts(QCoreApplication::applicationDirPath());
    QApplication::setWindowIcon(pravik::programIcon());
    pravik::installJapaneseFontSubstitutes();
    QApplication::setFont(pravik::windowFont());
    pravik::exposeOpenPopupMenus();
    pravik::QtDialogs dialogs;
    pravik::askPrintSystemPasswordsInDialogs();
    try {
        pravik::Windows windows = pravik::createWindows(dialogs, pravik::settingsLocation());
        windows.FmMain->show();
        openListOfCommandLine(*windows.FmMain);
        // Ended by the session or a signal, the program still ends its
        // offices and removes its spool files; a second request ends it at once.
        pravik::handleStopRequests(pravik::office::removeSpoolFileNow);
        QTimer stopWatch;
        QObject::connect(&stopWatch, &QTimer::timeout, [&windows] {
            if (pravik::stopRequest() != 0)
                windows.FmMain->endOnStopRequest();
        });
        stopWatch.start(250);
        app.exec();
    } catch (const std::exception& error) {
        dialogs.showError(nullptr, QString::fromUtf8(error.what()));
    }
    pravik::office::shutdownEngines();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    pravik::installCrashLog();
    const std::vector<std::string> args = pravik::commandLineArguments(argc, argv);
    if (const pravik::InfoRequest info = pravik::infoRequested(args); info != pravik::InfoRequest::None) {
        pravik::useConsoleForOutput();
        return pravik::answerInfoRequest(info, pravik::settingsLocation().iniPath(), std::cout);
    }
    std::optional<pravik::HeadlessOptions> headless;
    try {
        headless = pravik::parseHeadlessArguments(args);
    } catch (const std::exception& error) {
        pravik::useConsoleForOutput();
        std::cerr << pravik::headlessErrorLine(error.what());
        return pravik::kRunImpossible;
    }
    if (headless) {
        pravik::useConsoleForOutput();
        return pravik::runWithoutWindows(*headless);
    }
    return runWindows(argc, argv);
}
