// TModeNameForm on the offscreen platform: its layout, the emptied edit on
// showing, and what OK and Cancel leave as the mode name. Messages go to a
// fake dialog seam, so no message box is ever shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "store/ModeName.h"
#include "support/ScriptedDialogs.h"
#include "ui/ModeNameUnit.h"

namespace mc::test {
namespace {

class ModeNameForm : public ::testing::Test {
protected:
    void showAndType(const QString& text) {
        form.show();
        // Generous: a loaded machine may take long to expose it.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, 30000));
        // Typed through an input method commit, as Chinese text is entered.
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(form.ModeNameEdit, &commit);
    }

    ScriptedDialogs dialogs;
    TModeNameForm form{dialogs};
    QSignalSpy finished{&form, &QDialog::finished};
};

TEST_F(ModeNameForm, HasTheDesignedCaptionAndControls) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("输入效果名称"));
    EXPECT_EQ(form.size(), QSize(240, 136));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed border";
    EXPECT_EQ(form.Label1->text(), QStringLiteral("效果名称   "));
    EXPECT_EQ(form.Label1->geometry(), QRect(19, 40, 57, 13));
    EXPECT_EQ(form.ModeNameEdit->geometry(), QRect(120, 36, 93, 21));
    EXPECT_EQ(form.ModeNameOKButton->text(), QStringLiteral("确定"));
    EXPECT_EQ(form.ModeNameOKButton->geometry(), QRect(32, 88, 65, 25));
    EXPECT_EQ(form.ModeNameCancleButton->text(), QStringLiteral("取消"));
    EXPECT_EQ(form.ModeNameCancleButton->geometry(), QRect(144, 88, 65, 25));
    EXPECT_EQ(form.findChild<QLineEdit*>(QStringLiteral("ModeNameEdit")), form.ModeNameEdit);
}

TEST_F(ModeNameForm, ShowingEmptiesTheEdit) {
    form.ModeNameEdit->setText(QStringLiteral("旧名称"));
    form.show();
    EXPECT_TRUE(form.ModeNameEdit->text().isEmpty());
}

TEST_F(ModeNameForm, OkWithAnEmptyNameAsksForOneAndStaysOpen) {
    showAndType(QString());
    QTest::mouseClick(form.ModeNameOKButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("输入效果名称"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(form.CurrentModeName(), "");
}

TEST_F(ModeNameForm, OkWithANameThatCannotBeStoredShowsWhyAndStaysOpen) {
    showAndType(QStringLiteral("会 议"));
    QTest::mouseClick(form.ModeNameOKButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], QString::fromStdString(*modeNameProblem("会 议")));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(form.CurrentModeName(), "");
}

TEST_F(ModeNameForm, OkTakesTheNameExactlyAsTypedAndAccepts) {
    showAndType(QStringLiteral("会议-2"));
    QTest::mouseClick(form.ModeNameOKButton, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.CurrentModeName(), "Mode会议-2");
}

TEST_F(ModeNameForm, CancelAndEscapeEmptyTheNameAndReject) {
    showAndType(QStringLiteral("甲"));
    QTest::mouseClick(form.ModeNameOKButton, Qt::LeftButton);
    ASSERT_EQ(form.CurrentModeName(), "Mode甲");

    showAndType(QStringLiteral("乙"));
    QTest::mouseClick(form.ModeNameCancleButton, Qt::LeftButton);
    EXPECT_EQ(form.CurrentModeName(), "");
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());

    showAndType(QStringLiteral("丙"));
    QTest::mouseClick(form.ModeNameOKButton, Qt::LeftButton);
    ASSERT_EQ(form.CurrentModeName(), "Mode丙");
    showAndType(QStringLiteral("丁"));
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.CurrentModeName(), "");
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace mc::test
