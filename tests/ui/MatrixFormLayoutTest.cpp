// The control window's layout: the places of the grid for 16 columns, and a
// small model's window that shrinks to fit.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

using MatrixFormLayout = MatrixFormTest;

TEST_F(MatrixFormLayout, SixteenColumnsStartAt29AndStepBy50) {
    TMatrixForm& window = open();  // 32 × 32: 16 columns on screen
    auto* group = child<QGroupBox>(window, QStringLiteral("GroupBox"));
    auto* inputGroup = child<QGroupBox>(window, QStringLiteral("InputGroupBox"));
    auto* caption = child<QLabel>(window, QStringLiteral("InputStaticText"));
    ASSERT_TRUE(group && inputGroup && caption);

    for (std::size_t c = 0; c < 16; ++c) {
        EXPECT_EQ(columnLabel(window, c)->x(), 29 + 50 * static_cast<int>(c)) << c;
        EXPECT_EQ(inputEdit(window, c)->x(), 10 + 50 * static_cast<int>(c)) << c;
        EXPECT_EQ(box(3, c)->x(), 29 + 50 * static_cast<int>(c)) << c;
    }
    EXPECT_EQ(columnLabel(window, 16)->x(), 829);
    EXPECT_EQ(box(0, 16)->x(), 829);
    EXPECT_EQ(box(0, 16)->width(), 70);
    EXPECT_EQ(outputEdit(window, 0)->x(), 899);
    EXPECT_EQ(outputEdit(window, 0)->width(), 56);
    EXPECT_EQ(child<QWidget>(window, QStringLiteral("OutputRouteLabel0"))->x(), 978);
    EXPECT_EQ(group->width(), 1138);
    EXPECT_EQ(inputGroup->geometry(),
              QRect(2, 0, 890, caption->height() + 30 + inputEdit(window, 0)->height() + 35));
    EXPECT_EQ(caption->x(), (890 - caption->width()) / 2);
    EXPECT_EQ(button("LeftBitBtn")->x(), 29);
    EXPECT_EQ(button("RightBitBtn")->x(), 829);
    EXPECT_EQ(button("UpBitBtn")->x(), 909);
    EXPECT_EQ(button("DownBitBtn")->x(), 909);

    // Rows follow each other by the box height; each output field beside its row.
    const int height = box(0, 0)->height();
    EXPECT_EQ(box(0, 0)->y(), inputGroup->height() + 10);
    EXPECT_EQ(box(15, 0)->y(), box(0, 0)->y() + 15 * height);
    EXPECT_EQ(outputEdit(window, 15)->y(), box(15, 0)->y());
    EXPECT_EQ(button("DownBitBtn")->y(), box(15, 0)->y() + height + 10);
    EXPECT_EQ(group->height(), inputGroup->height() + 41 + 15 * height + 50);

    // The window is exactly as wide as the group, with a fixed size.
    EXPECT_EQ(window.width(), 1138);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.centralWidget()->size(), group->size());
}

TEST_F(MatrixFormLayout, SmallModelWindowShrinks) {
    const QSize large = open().size();
    useModel(8, 4);
    TMatrixForm& window = open();
    EXPECT_EQ(box(0, 8)->x(), 429);
    EXPECT_EQ(outputEdit(window, 0)->x(), 499);
    EXPECT_EQ(child<QGroupBox>(window, QStringLiteral("GroupBox"))->width(), 738);
    EXPECT_EQ(window.width(), 738);
    EXPECT_LT(window.height(), large.height());
}

}  // namespace
}  // namespace mc::test
