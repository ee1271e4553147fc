// The control window's layout: the places of the grid for 16 columns, and a
// small model's window that shrinks to fit.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "control/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

using MatrixFormLayout = MatrixFormTest;

TEST_F(MatrixFormLayout, SixteenColumnsStartAt29AndStepBy50) {
    TMatrixForm& window = open();  // 32 × 32: 16 columns on screen

    for (std::size_t c = 0; c < 16; ++c) {
        EXPECT_EQ(window.ColumnLabels[c]->x(), 29 + 50 * static_cast<int>(c)) << c;
        EXPECT_EQ(window.InputNameEdits[c]->x(), 10 + 50 * static_cast<int>(c)) << c;
        EXPECT_EQ(box(3, c)->x(), 29 + 50 * static_cast<int>(c)) << c;
    }
    EXPECT_EQ(window.ColumnLabels[16]->x(), 829);
    EXPECT_EQ(box(0, 16)->x(), 829);
    EXPECT_EQ(box(0, 16)->width(), 70);
    EXPECT_EQ(window.OutputNameEdits[0]->x(), 899);
    EXPECT_EQ(window.OutputNameEdits[0]->width(), 56);
    EXPECT_EQ(window.GroupBox->width(), 985);
    EXPECT_EQ(window.InputGroupBox->geometry(), QRect(2, 0, 890,
                                                      window.InputStaticText->height() + 30 +
                                                          window.InputNameEdits[0]->height() + 35));
    EXPECT_EQ(window.InputStaticText->x(), (890 - window.InputStaticText->width()) / 2);
    EXPECT_EQ(window.LeftBitBtn->x(), 29);
    EXPECT_EQ(window.RightBitBtn->x(), 829);
    EXPECT_EQ(window.UpBitBtn->x(), 909);
    EXPECT_EQ(window.DownBitBtn->x(), 909);

    // Rows follow each other by the box height; each output field beside its row.
    const int height = box(0, 0)->height();
    EXPECT_EQ(box(0, 0)->y(), window.InputGroupBox->height() + 10);
    EXPECT_EQ(box(15, 0)->y(), box(0, 0)->y() + 15 * height);
    EXPECT_EQ(window.OutputNameEdits[15]->y(), box(15, 0)->y());
    EXPECT_EQ(window.DownBitBtn->y(), box(15, 0)->y() + height + 10);
    EXPECT_EQ(window.GroupBox->height(), window.InputGroupBox->height() + 41 + 15 * height + 50);

    // The window is exactly as wide as the group, with a fixed size.
    EXPECT_EQ(window.width(), 985);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.centralWidget()->size(), window.GroupBox->size());
}

TEST_F(MatrixFormLayout, SmallModelWindowShrinks) {
    QSize large;
    {
        TMatrixForm& window = open();
        large = window.size();
    }
    form.reset();
    useModel(8, 4);
    TMatrixForm& window = open();
    EXPECT_EQ(box(0, 8)->x(), 429);
    EXPECT_EQ(window.OutputNameEdits[0]->x(), 499);
    EXPECT_EQ(window.GroupBox->width(), 585);
    EXPECT_EQ(window.width(), 585);
    EXPECT_LT(window.height(), large.height());
}

}  // namespace
}  // namespace mc::test
