#include "Dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace pravik;

namespace {

// Answers the next modal box by `answer`, once it is up.
void whenModal(const std::function<void(QWidget*)>& answer)
{
    QTimer::singleShot(0, [answer] {
        if (QWidget* box = QApplication::activeModalWidget())
            answer(box);
        else
            whenModal(answer);
    });
}

} // namespace

TEST(InputBox, TakesAtMost255CharactersAndCancelGivesTheInitialText)
{
    QtDialogs dialogs;
    QStringList buttons;
    whenModal([&](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_TRUE(edit);
        EXPECT_EQ(edit->maxLength(), 255);
        for (QPushButton* button : box->findChildren<QDialogButtonBox*>().value(0)->findChildren<QPushButton*>())
            buttons << button->text();
        edit->setText(QStringLiteral("new.doc"));
        box->findChildren<QDialogButtonBox*>().value(0)->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, "ファイル名の変更", "ファイル名：old.doc", "old.doc", 255), QStringLiteral("old.doc"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"OK", "キャンセル"}));

    whenModal([](QWidget* box) {
        box->findChild<QLineEdit*>()->setText(QStringLiteral("new.doc"));
        box->findChildren<QDialogButtonBox*>().value(0)->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, "ファイル名の変更", "ファイル名：old.doc", "old.doc", 255), QStringLiteral("new.doc"));
}
