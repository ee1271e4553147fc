// TMatrixForm: FormShow, the grid's absolute layout and the window's fixed
// size. W and H are the width and height of input name field 0; every place
// follows from them and from the real sizes of the other controls. With 16
// columns the columns start at 29 and step by 50, the close column stands at
// 829, the output name fields at 899, their lock marks at 958, the labels of
// what each output carries at 978, and GroupBox is 1138 wide.

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "ui/ElidedLabel.h"
#include "ui/QXRMainControl.h"

namespace mc {

void TMatrixForm::FormShow() {
    if (!m_session.hasState() || GridBoxes.empty() || InputNameEdits.empty()) return;
    layoutGrid();
    applyPagingButtons();
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (QScreen* display = screen()) {
            const QRect area = display->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
    reloadModeList();
}

void TMatrixForm::layoutGrid() {
    const auto rows = static_cast<std::size_t>(m_page->visibleRows());
    const auto columns = static_cast<std::size_t>(m_page->visibleColumns());
    const int W = InputNameEdits[0]->width();
    const int H = InputNameEdits[0]->height();
    QLabel* label0 = ColumnLabels[0];
    QLabel* lastLabel = ColumnLabels[columns];

    // The input group: the heading, the paging buttons for the columns, the
    // column labels and the input name fields.
    InputGroupBox->setGeometry(2, 0, W * (static_cast<int>(columns) + 1) + 40,
                               InputStaticText->height() + label0->height() + H + 35);
    InputStaticText->move((InputGroupBox->width() - InputStaticText->width()) / 2,
                          InputGroupBox->y() + 10);
    const int labelTop = InputStaticText->y() + InputStaticText->height() + 12;
    const int fieldTop = labelTop + label0->height() + 2;
    int fieldLeft = 10;
    for (std::size_t c = 0; c < columns; ++c) {
        if (c > 0) fieldLeft += W;
        InputNameEdits[c]->move(fieldLeft, fieldTop);
        ColumnLabels[c]->move(fieldLeft + W / 2 - 6, labelTop);
    }
    lastLabel->move(InputNameEdits[columns - 1]->x() + W / 2 + W - 6, labelTop);

    // The grid: box [r][c] under label c, the output name field right of the
    // row's close box.
    const int boxHeight = GridBoxes[0][0]->height();
    const int gridTop = InputGroupBox->y() + InputGroupBox->height() + 10;
    for (std::size_t r = 0; r < rows; ++r) {
        const int top = gridTop + static_cast<int>(r) * boxHeight;
        for (std::size_t c = 0; c <= columns; ++c)
            GridBoxes[r][c]->move(ColumnLabels[c]->x(), top);
        QCheckBox* closeBox = GridBoxes[r][columns];
        QLineEdit* field = OutputNameEdits[r];
        field->move(closeBox->x() + closeBox->width(), top);
        OutputLockMarks[r]->move(field->x() + field->width() + 3,
                                 top + (field->height() - OutputLockMarks[r]->height()) / 2);
        OutputRouteLabels[r]->move(field->x() + field->width() + 23, top);
    }

    // The paging buttons.
    LeftBitBtn->move(label0->x(), InputStaticText->y());
    RightBitBtn->move(lastLabel->x(), InputStaticText->y());
    QCheckBox* firstClose = GridBoxes[0][columns];
    UpBitBtn->move(firstClose->x() + firstClose->width() + 10,
                   InputGroupBox->y() + InputGroupBox->height() - UpBitBtn->height());
    QCheckBox* lastRowFirst = GridBoxes[rows - 1][0];
    DownBitBtn->move(GridBoxes[rows - 1][columns]->x() + firstClose->width() + 10,
                     lastRowFirst->y() + lastRowFirst->height() + 10);

    // The outer group and the window.
    QWidget* routes0 = OutputRouteLabels[0];
    GroupBox->setGeometry(0, 0, routes0->x() + routes0->width() + 10,
                          InputGroupBox->height() + DownBitBtn->height() +
                              static_cast<int>(rows - 1) * GridBoxes[0][0]->height() + 50);
    centralWidget()->setFixedSize(GroupBox->x() + GroupBox->width(), GroupBox->height());

    // The window takes the group's width (wider only when the tool bar or the
    // status bar's fields need it) and the real heights of the menu, tool bar
    // and status bar. The X-Y field and the take items do not count: where
    // they do not fit, the tool bar's extension menu shows them.
    for (QAction* item : m_takeItems)
        item->setVisible(false);
    layout()->invalidate();
    const QSize needed = layout()->totalSizeHint();
    for (QAction* item : m_takeItems)
        item->setVisible(true);
    setFixedSize(std::max(needed.width(), GroupBox->x() + GroupBox->width()), needed.height());
}

}  // namespace mc
