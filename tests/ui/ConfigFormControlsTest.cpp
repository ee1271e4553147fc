// The configuration dialog's controls: captions, positions, sizes, limits and
// tab order, and how it is opened from the control window.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <vector>

#include "ui/ConfigFormTestUtil.h"
#include "ui/HexEdit.h"
#include "ui/LabeledEdit.h"
#include "ui/SpinField.h"

namespace mc {
namespace {

using test::ConfigFormTest;

TEST_F(ConfigFormTest, WindowAndPage) {
    writeMain("");
    start();
    const TConfigForm& f = *form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("配置汇切台"));
    EXPECT_EQ(f.size(), QSize(581, 454));
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "fixed border";
    EXPECT_EQ(f.PageControl1->geometry(), QRect(0, 0, 581, 453));
    ASSERT_EQ(f.PageControl1->count(), 5);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("矩阵设置"));
    EXPECT_EQ(f.PageControl1->widget(0), f.MatrixSetTabSheet);
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("串口设备"));
    EXPECT_EQ(f.PageControl1->tabText(2), QStringLiteral("网络控制"));
    EXPECT_EQ(f.PageControl1->tabText(3), QStringLiteral("网页控制"));
    EXPECT_EQ(f.PageControl1->tabText(4), QStringLiteral("SW-P-08 控制"));
    // The pages "网络控制" and "网页控制": every control is found by its name.
    QWidget* network = f.PageControl1->widget(2);
    QWidget* web = f.PageControl1->widget(3);
    EXPECT_EQ(network->objectName(), QStringLiteral("NetworkTabSheet"));
    EXPECT_EQ(web->objectName(), QStringLiteral("WebTabSheet"));
    for (QObject* parent :
         {static_cast<QObject*>(network),
          network->findChild<QObject*>(QStringLiteral("NetworkGroupBox")),
          static_cast<QObject*>(web), web->findChild<QObject*>(QStringLiteral("WebGroupBox"))})
        for (QWidget* control : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(control->objectName().isEmpty()) << control->metaObject()->className();
}

TEST_F(ConfigFormTest, GroupsLabelsAndButtons) {
    writeMain("");
    start();
    const TConfigForm& f = *form;
    struct Group {
        QGroupBox* box;
        const char16_t* title;
        QRect geometry;
    };
    const Group groups[] = {{f.GroupBox1, u"串口设置", QRect(2, 4, 571, 87)},
                            {f.GroupBox2, u"系统设置", QRect(1, 96, 571, 62)},
                            {f.MatrixMessageGroupBox, u"矩阵信息", QRect(1, 171, 571, 205)}};
    for (const Group& g : groups) {
        EXPECT_EQ(g.box->title(), QString::fromUtf16(g.title));
        EXPECT_EQ(g.box->geometry(), g.geometry) << g.box->title().toStdString();
        EXPECT_EQ(g.box->parentWidget(), f.MatrixSetTabSheet);
    }
    struct Label {
        QLabel* label;
        const char16_t* text;
        QWidget* parent;
        QPoint pos;
    };
    const Label labels[] = {
        {f.Label1, u"串口 ", f.GroupBox1, QPoint(17, 38)},
        {f.Label2, u"波特率  ", f.GroupBox1, QPoint(295, 38)},
        {f.CircleTimeLabel, u"循环时间间隔 (秒)      ", f.GroupBox2, QPoint(17, 28)},
        {f.Label3, u"型号 ", f.MatrixMessageGroupBox, QPoint(17, 40)},
        {f.Label4, u"地址(十六进制)    ", f.MatrixMessageGroupBox, QPoint(17, 86)},
        {f.Label5, u"自定义地址(十六进制)       ", f.MatrixMessageGroupBox, QPoint(16, 131)}};
    for (const Label& l : labels) {
        EXPECT_EQ(l.label->text(), QString::fromUtf16(l.text));
        EXPECT_EQ(l.label->parentWidget(), l.parent) << l.label->text().toStdString();
        EXPECT_EQ(l.label->pos(), l.pos) << l.label->text().toStdString();
    }
    struct Button {
        QPushButton* button;
        const char16_t* text;
        QWidget* parent;
        QRect geometry;
    };
    const Button buttons[] = {
        {f.AddMatrixModel, u"添加为新矩阵", f.MatrixMessageGroupBox, QRect(324, 168, 85, 25)},
        {f.Button3, u"删除当前矩阵", f.MatrixMessageGroupBox, QRect(445, 168, 85, 25)},
        {f.UpDataButton, u"应用", f.MatrixSetTabSheet, QRect(324, 392, 85, 25)},
        {f.CancleButton, u"取消", f.MatrixSetTabSheet, QRect(445, 392, 85, 25)}};
    for (const Button& b : buttons) {
        EXPECT_EQ(b.button->text(), QString::fromUtf16(b.text));
        EXPECT_EQ(b.button->parentWidget(), b.parent) << b.button->text().toStdString();
        EXPECT_EQ(b.button->geometry(), b.geometry) << b.button->text().toStdString();
        EXPECT_FALSE(b.button->autoDefault()) << "Enter in a field presses no button";
    }
    EXPECT_EQ(f.MatrixPatternCheckBox->text(), QStringLiteral("非QXR-V或QXR-AV系列矩阵"));
    EXPECT_EQ(f.MatrixPatternCheckBox->pos(), QPoint(16, 165));
    EXPECT_EQ(f.MatrixPatternCheckBox->height(), 17);
    EXPECT_GE(f.MatrixPatternCheckBox->width(), 171);
    EXPECT_GE(f.MatrixPatternCheckBox->width(), f.MatrixPatternCheckBox->sizeHint().width())
        << "the caption is not cut";
}

TEST_F(ConfigFormTest, FieldsAndTheirLimits) {
    writeMain("");
    start();
    const TConfigForm& f = *form;
    EXPECT_EQ(f.ComSelSpinEdit->geometry(), QRect(149, 35, 44, 22));
    EXPECT_EQ(f.ComSelSpinEdit->minValue(), 1);
    EXPECT_EQ(f.ComSelSpinEdit->maxValue(), 20);
    EXPECT_EQ(f.ComSelSpinEdit->lineEdit()->maxLength(), 2);
    EXPECT_EQ(f.ComSelSpinEdit->text(), QStringLiteral("1"));

    EXPECT_EQ(f.BandComboBox->geometry().topLeft(), QPoint(396, 35));
    EXPECT_EQ(f.BandComboBox->width(), 120);
    EXPECT_FALSE(f.BandComboBox->isEditable());
    QStringList rates;
    for (int i = 0; i < f.BandComboBox->count(); ++i)
        rates << f.BandComboBox->itemText(i);
    EXPECT_EQ(rates, (QStringList{QStringLiteral("9600"), QStringLiteral("56000"),
                                  QStringLiteral("57600"), QStringLiteral("115200")}));
    EXPECT_EQ(f.BandComboBox->currentIndex(), 0);

    EXPECT_EQ(f.CircleTimeSpinEdit->geometry(), QRect(149, 22, 120, 22));
    EXPECT_EQ(f.CircleTimeSpinEdit->minValue(), 1);
    EXPECT_EQ(f.CircleTimeSpinEdit->maxValue(), 100);

    EXPECT_TRUE(f.MatrixModelComboBox->isEditable());
    EXPECT_EQ(f.MatrixModelComboBox->geometry().topLeft(), QPoint(149, 34));
    EXPECT_EQ(f.MatrixAddressHexEdit->geometry(), QRect(149, 82, 120, 21));
    EXPECT_EQ(f.MatrixCustomAddressHexEdit->geometry(), QRect(149, 126, 120, 21));
    EXPECT_EQ(f.MatrixAddressHexEdit->MaxDigits(), 2);
    EXPECT_EQ(f.MatrixCustomAddressHexEdit->MaxDigits(), 2);

    struct Labeled {
        LabeledEdit* edit;
        const char16_t* caption;
        QRect geometry;
        int spacing;
    };
    const Labeled labeled[] = {
        {f.MatrixInputLabeledEdit, u"输入端口数    ", QRect(399, 34, 120, 21), 30},
        {f.MatrixOutputLabeledEdit, u"输出端口数    ", QRect(399, 82, 120, 21), 30},
        {f.MatrixLogoLabeledEdit, u" 自定义矩阵Logo     ", QRect(399, 126, 120, 21), 5}};
    for (const Labeled& l : labeled) {
        const QString caption = QString::fromUtf16(l.caption);
        EXPECT_EQ(l.edit->geometry(), l.geometry) << caption.toStdString();
        EXPECT_EQ(l.edit->EditLabel()->text(), caption);
        EXPECT_EQ(l.edit->EditLabel()->geometry().right() + 1 + l.spacing, l.geometry.left())
            << caption.toStdString();
        EXPECT_EQ(l.edit->EditLabel()->parentWidget(), f.MatrixMessageGroupBox);
    }
}

TEST_F(ConfigFormTest, TabOrder) {
    writeMain("");
    start();
    const TConfigForm& f = *form;
    const std::vector<QWidget*> expected = {f.ComSelSpinEdit->lineEdit(),
                                            f.BandComboBox,
                                            f.CircleTimeSpinEdit->lineEdit(),
                                            f.MatrixModelComboBox,
                                            f.MatrixInputLabeledEdit,
                                            f.AddMatrixModel,
                                            f.MatrixOutputLabeledEdit,
                                            f.Button3,
                                            f.MatrixLogoLabeledEdit,
                                            f.MatrixAddressHexEdit,
                                            f.MatrixCustomAddressHexEdit,
                                            f.MatrixPatternCheckBox,
                                            f.UpDataButton,
                                            f.CancleButton};
    std::vector<QWidget*> chain;
    QWidget* w = f.ComSelSpinEdit->lineEdit();
    do {
        if (std::find(expected.begin(), expected.end(), w) != expected.end()) chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != f.ComSelSpinEdit->lineEdit() && chain.size() < expected.size());
    EXPECT_EQ(chain, expected);
}

TEST_F(ConfigFormTest, OpenedModallyFromTheControlWindowAtItsPosition) {
    writeMain("");
    start();
    open();
    EXPECT_EQ(dialogs.execs, 1);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), QPoint(192, 106));
    form->CancleButton->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
}

}  // namespace
}  // namespace mc
