#include "PrintSystemPasswords.h"

#include "CupsPassword.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QThread>

namespace pravik {

namespace {

std::optional<std::string> askInDialog(const std::string& server, const std::string& user)
{
    bool given = false;
    const QString password = QInputDialog::getText(
        QApplication::activeWindow(), QStringLiteral("パスワード"),
        QStringLiteral("印刷システム (CUPS) のサーバー %1 が、印刷するためにユーザー %2 のパスワードを求めています。")
            .arg(QString::fromStdString(server), QString::fromStdString(user)),
        QLineEdit::Password, {}, &given);
    if (!given)
        return std::nullopt;
    return password.toStdString();
}

} // namespace

void askPrintSystemPasswordsInDialogs()
{
    printers::setPasswordAsker([](const std::string& server, const std::string& user) {
        QObject* const application = QCoreApplication::instance();
        if (QThread::currentThread() == application->thread())
            return askInDialog(server, user);
        // Jobs hand over on threads of their own; the dialog belongs to the window's.
        std::optional<std::string> answer;
        QMetaObject::invokeMethod(
            application, [&] { answer = askInDialog(server, user); }, Qt::BlockingQueuedConnection);
        return answer;
    });
}

} // namespace pravik
