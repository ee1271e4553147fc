// The window speaks the language installed at start: the menu bar in Chinese,
// as ever, and in English from the compiled translation; the session's notes
// follow through the core's translator.

#include <QApplication>
#include <QLabel>
#include <QMenuBar>

#include "ui/MatrixFormTestUtil.h"
#include "ui/ModeNameUnit.h"
#include "ui/Translation.h"

namespace mc::test {
namespace {

class Language : public MatrixFormTest {
protected:
    ~Language() override { removeLanguage(*qApp); }

    QStringList menuCaptions() {
        QStringList captions;
        for (QAction* item : form->menuBar()->actions())
            captions << item->text();
        return captions;
    }
};

TEST_F(Language, MenuCaptionsAndNotesInChineseAndInEnglish) {
    useModel(4, 4);
    ASSERT_TRUE(installLanguage(*qApp, mc::Language::Chinese));
    open();
    EXPECT_EQ(menuCaptions(),
              (QStringList{QStringLiteral("文件（&F）"), QStringLiteral("编辑(&E)"),
                           QStringLiteral("配置（&C）"), QStringLiteral("矩阵模式（&M）"),
                           QStringLiteral("帮助（&H）")}));

    ASSERT_TRUE(installLanguage(*qApp, mc::Language::English));
    TMatrixForm& window = open();
    EXPECT_EQ(menuCaptions(), (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"),
                                           QStringLiteral("&Configuration"),
                                           QStringLiteral("&Presets"), QStringLiteral("&Help")}));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("TestMatrix Matrix Switcher"));
    ASSERT_TRUE(session->lockOutput("127.0.0.2", 1, LockRequest::Lock));
    click(box(1, 0));
    EXPECT_EQ(window.statusNote(),
              QStringLiteral("Output 2 is locked by 127.0.0.2; the switch was not made"));

    // A caption wider in English than the fixed geometry made room for.
    TModeNameForm nameForm(dialogs);
    QLabel* caption = child<QLabel>(nameForm, QStringLiteral("Label1"));
    EXPECT_GE(caption->width(), caption->sizeHint().width()) << caption->text().toStdString();
}

}  // namespace
}  // namespace mc::test
