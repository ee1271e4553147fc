// Names stay readable: a name field without the focus shows the start of its
// name, the lock mark stands beside the name, and the status bar shortens its
// texts at a word, in both languages, with the whole text in the tooltip.

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStatusTipEvent>

#include "ui/ElidedLabel.h"
#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

using MatrixFormNames = MatrixFormTest;

TEST_F(MatrixFormNames, FieldsShowTheStartOfTheirNamesAndTheLockBeside) {
    useModel(16, 16);
    setConfig("Matrix Manage Message", "MatrixOutputEditEnable", "1");
    iniWriteString(paths.editListFile(), "MatrixOutputStringList", "OutputString0",
                   "Studio Camera 4");
    TMatrixForm& window = open();
    QApplication::setActiveWindow(&window);
    QLineEdit* field = outputEdit(window, 0);
    EXPECT_EQ(field->cursorPosition(), 0);
    EXPECT_EQ(field->toolTip(), QStringLiteral("Studio Camera 4"));
    // Typed into, then left: back to the start.
    field->setFocus();
    field->end(false);
    outputEdit(window, 1)->setFocus();
    EXPECT_EQ(field->cursorPosition(), 0);

    ASSERT_TRUE(session->lockOutput("127.0.0.2", 0, LockRequest::Lock));
    auto* mark = child<QLabel>(window, QStringLiteral("OutputLock0"));
    ASSERT_TRUE(mark->isVisibleTo(&window));
    EXPECT_GT(mark->x(), field->geometry().right());
    EXPECT_LE(mark->geometry().right(), window.width());
}

TEST_F(MatrixFormNames, StatusTextsEndAtAWord) {
    const QFontMetrics metrics{QFont()};
    const QString english =
        QStringLiteral("Output 3 is locked by 127.0.0.2; the switch was not made");
    const QString chinese = QStringLiteral("输出 3 已被 127.0.0.2 锁定，本次切换未执行");
    for (const QString& text : {english, chinese}) {
        const QString shown =
            ElidedLabel::elided(text, metrics, metrics.horizontalAdvance(text) * 2 / 3);
        ASSERT_TRUE(shown.endsWith(QStringLiteral("…"))) << shown.toStdString();
        const QString head = shown.chopped(1);
        ASSERT_TRUE(text.startsWith(head) && head.size() > 4) << shown.toStdString();
        if (text == english) {
            EXPECT_EQ(text.at(head.size()), QLatin1Char(' ')) << shown.toStdString();
        }
    }
    EXPECT_EQ(ElidedLabel::elided(english, metrics, 10000), english);

    // The hint of the control under the mouse lands in the hint field, whole
    // in its tooltip.
    TMatrixForm& window = open();
    QStatusTipEvent tip(english);
    QCoreApplication::sendEvent(&window, &tip);
    auto* hint = child<QLabel>(window, QStringLiteral("StatusHint"));
    EXPECT_EQ(hint->text(), english);
    EXPECT_EQ(hint->toolTip(), english);
}

}  // namespace
}  // namespace mc::test
