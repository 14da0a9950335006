#include "Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace pravik;

namespace {

// Asks the real Yes/No box and lets `act` answer it once it is up.
Dialogs::Reply askAndThen(const std::function<void(QMessageBox*)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
    QtDialogs dialogs;
    return dialogs.askYesNoOrDismiss(nullptr, QStringLiteral("内容が変更されています。保存しますか？"),
                                     QStringLiteral("保存確認"));
}

} // namespace

TEST(QtDialogs, YesNoBoxLeftWithEscapeOrItsCloseButtonIsDismissedNotNo)
{
    EXPECT_EQ(askAndThen([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }),
              Dialogs::Reply::Dismissed);
    EXPECT_EQ(askAndThen([](QMessageBox* box) { box->close(); }), Dialogs::Reply::Dismissed);
    EXPECT_EQ(askAndThen([](QMessageBox* box) { box->button(QMessageBox::No)->click(); }),
              Dialogs::Reply::No);
    EXPECT_EQ(askAndThen([](QMessageBox* box) {
                  EXPECT_FALSE(box->button(QMessageBox::Cancel)->isVisible()); // still a Yes/No box
                  box->button(QMessageBox::Yes)->click();
              }),
              Dialogs::Reply::Yes);
}
