#include "JapaneseTexts.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace pravik;

namespace {

// Qt's texts are process-wide: put them back for the other tests.
class JapaneseTextsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(QLocale::c());
    }
};

} // namespace

TEST_F(JapaneseTextsTest, QtsStandardButtonsFileDialogAndDatesReadInJapanese)
{
    ASSERT_TRUE(installJapaneseTexts(QString()));

    QMessageBox question(QMessageBox::Question, QStringLiteral("保存確認"), QStringLiteral("?"),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList buttons;
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        buttons << question.button(button)->text();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                                    QStringLiteral("キャンセル")}));

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        labels << files.findChild<QLabel*>(QLatin1String(name))->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("アドレス:"), QStringLiteral("ファイル名(&N):"),
                                   QStringLiteral("ファイルの種類:")}));

#ifdef _WIN32
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("ファイル フォルダー"));
#else
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("フォルダー"));
#endif
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 7), QLocale::LongFormat), QStringLiteral("2026年12月7日月曜日"));
}
