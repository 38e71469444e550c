// The real dialogs, answered by a click while they wait.
#include "platform/QtPlatform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace vidlark {
namespace {

struct TSeen {
    QString Title;
    QString Text;
    QStringList Buttons;
};

// Clicks the button captioned answer (or, with none given, the only one) in
// the next modal box and notes what it showed.
void AnswerNextBox(const QString& answer, TSeen& seen)
{
    QTimer::singleShot(0, [answer, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        seen.Buttons.clear();
        seen.Title = box->windowTitle();
        seen.Text = box->text();
        QPushButton* chosen = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen.Buttons << button->text();
            if (button->text() == answer || answer.isEmpty())
                chosen = qobject_cast<QPushButton*>(button);
        }
        EXPECT_TRUE(chosen) << answer.toStdString();
        (chosen ? chosen : box->buttons().front())->click();
    });
}

TEST(QtDialogs, WarningAsksYesOrNo)
{
    TQtPlatform platform;
    TSeen seen;
    AnswerNextBox("はい(&Y)", seen);
    EXPECT_EQ(platform.ShowMessageDialog(TDialogKind::dkWarningYesNo, "作成しますか？ <b>"), TModalResult::mrYes);
    EXPECT_EQ(seen.Title, "警告");
    EXPECT_EQ(seen.Text, "作成しますか？ <b>");
    EXPECT_EQ(seen.Buttons, (QStringList{"はい(&Y)", "いいえ(&N)"}));
    AnswerNextBox("いいえ(&N)", seen);
    EXPECT_EQ(platform.ShowMessageDialog(TDialogKind::dkWarningYesNo, "x"), TModalResult::mrNo);
}

TEST(QtDialogs, ErrorHasOnlyOk)
{
    TQtPlatform platform;
    TSeen seen;
    AnswerNextBox("OK", seen);
    EXPECT_EQ(platform.ShowMessageDialog(TDialogKind::dkErrorOk, "ファイルのコピーに失敗しました."), TModalResult::mrOk);
    EXPECT_EQ(seen.Title, "エラー");
    EXPECT_EQ(seen.Buttons, QStringList{"OK"});
}

TEST(QtDialogs, FailureBoxIsTitledVidlarkWithTheFullStop)
{
    TQtPlatform platform;
    TSeen seen;
    AnswerNextBox({}, seen);
    platform.ShowFailureBox("ファイル a.mp4 は開けません");
    EXPECT_EQ(seen.Buttons.size(), 1);
    EXPECT_EQ(seen.Title, "Vidlark");
    EXPECT_EQ(seen.Text, "ファイル a.mp4 は開けません.");
}

} // namespace
} // namespace vidlark
