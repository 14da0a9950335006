#include "ShellOpen.h"

#include "QtText.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <exception>
#include <memory>

namespace pravik {

#ifndef Q_OS_WIN
namespace {

// How long the desktop's opener has to say that it failed. One still running
// by then has handed the file to its application (or is that application).
constexpr int kOpenerVerdictMs = 3000;

// xdg-open, which tells a failure only by its exit status, and often only
// after it was started (no browser, no application for the type).
bool openWithDesktopOpener(const QUrl& target)
{
    struct Verdict {
        bool finished = false;
        bool succeeded = false;
    };
    auto verdict = std::make_shared<Verdict>();
    // Not parented: an opener still running when the program ends is left to finish.
    auto* opener = new QProcess;
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, verdict, &loop](int code, QProcess::ExitStatus status) {
                         verdict->finished = true;
                         verdict->succeeded = status == QProcess::NormalExit && code == 0;
                         loop.quit();
                         opener->deleteLater();
                     });
    opener->start(QStringLiteral("xdg-open"),
                  {target.isLocalFile() ? target.toLocalFile() : target.toString(QUrl::FullyEncoded)});
    if (!opener->waitForStarted()) {
        delete opener;
        return false;
    }
    QTimer::singleShot(kOpenerVerdictMs, &loop, &QEventLoop::quit);
    // The windows repaint meanwhile; a second click waits for this verdict.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!verdict->finished) {
        QObject::disconnect(opener, &QProcess::finished, nullptr, nullptr);
        QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
        return true;
    }
    return verdict->succeeded;
}

} // namespace
#endif

bool shellOpen(const QUrl& target)
{
    if (!target.isValid())
        return false;
#ifdef Q_OS_WIN
    // The shell says at once whether it could open the target.
    return QDesktopServices::openUrl(target);
#else
    return openWithDesktopOpener(target);
#endif
}

std::string shellOpenDocument(const std::string& cp932Path)
{
    QString path;
    try {
        path = pathToQString(cp932Path);
    } catch (const std::exception& error) {
        return error.what();
    }
    // Checked here because the desktop's opener reports a missing file
    // nowhere the user would see it.
    const QFileInfo file(path);
    if (!file.exists())
        return "ファイルが見つかりません。";
    if (!file.isFile())
        return "ファイルではありません。";
    if (!shellOpen(QUrl::fromLocalFile(file.absoluteFilePath())))
        return "このファイルを開くアプリケーションを起動できません。";
    return {};
}

} // namespace pravik
