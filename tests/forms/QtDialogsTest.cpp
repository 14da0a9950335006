#include "Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
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

TEST(QtDialogs, YesNoBoxLeftWithCancelEscapeOrItsCloseButtonIsDismissedNotNo)
{
    EXPECT_EQ(askAndThen([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }),
              Dialogs::Reply::Dismissed);
    EXPECT_EQ(askAndThen([](QMessageBox* box) { box->close(); }), Dialogs::Reply::Dismissed);
    EXPECT_EQ(askAndThen([](QMessageBox* box) { box->button(QMessageBox::No)->click(); }),
              Dialogs::Reply::No);
    EXPECT_EQ(askAndThen([](QMessageBox* box) {
                  EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
                  box->button(QMessageBox::Cancel)->click();
              }),
              Dialogs::Reply::Dismissed);
    EXPECT_EQ(askAndThen([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }), Dialogs::Reply::Yes);
}

TEST(QtDialogs, AChoiceAnswersThePressedButtonAndEscapeAnswersNone)
{
    const QStringList buttons{QStringLiteral("上書き"), QStringLiteral("名前を付けて保存"), QStringLiteral("キャンセル")};
    const auto choose = [&](const std::function<void(QMessageBox*)>& act) {
        QTimer::singleShot(0, [act] { act(qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
        return QtDialogs().askChoice(nullptr, QStringLiteral("?"), QStringLiteral("上書き保存"), buttons);
    };
    const auto press = [](const QString& label) {
        return [label](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons())
                if (button->text() == label)
                    button->click();
        };
    };
    EXPECT_EQ(choose(press(buttons[1])), 1);
    EXPECT_EQ(choose(press(buttons[2])), 2);
    EXPECT_EQ(choose([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }), -1);
    EXPECT_EQ(choose([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }), 0);
}

TEST(QtDialogs, AReportOfManyRowsStaysWithinTheScreenAndScrolls)
{
    QString report = QStringLiteral("次のファイルを印刷できませんでした。\n■ プリンターが見つかりません");
    for (int row = 0; row < 300; ++row)
        report += QStringLiteral("\n　%1 月分の報告書（営業部・第二課）.xlsx").arg(row);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        const QRect screen = box->screen()->availableGeometry();
        EXPECT_LE(box->height(), screen.height());
        EXPECT_LE(box->width(), screen.width());
        auto* details = box->findChild<QPlainTextEdit*>(QStringLiteral("reportDetails"));
        ASSERT_NE(details, nullptr);
        EXPECT_TRUE(details->toPlainText().contains(QStringLiteral("299 月分")));
        seen = true;
        box->close();
    });
    QtDialogs().showFailureReport(nullptr, report, QStringLiteral("印刷エラー"));
    EXPECT_TRUE(seen);
}

TEST(QtDialogs, AMessageEndsAsASentence)
{
    struct Case {
        QString text;
        QString shown;
    };
    for (const Case& c : {Case{QStringLiteral("プリンター P が見つかりません"), QStringLiteral("プリンター P が見つかりません。")},
                          Case{QStringLiteral("保存しました。"), QStringLiteral("保存しました。")},
                          Case{QStringLiteral("開けません（詳細: x）"), QStringLiteral("開けません（詳細: x）")}}) {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->text();
            box->close();
        });
        QtDialogs().showError(nullptr, c.text);
        EXPECT_EQ(shown, c.shown);
    }
}
