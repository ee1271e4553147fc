#include "ui/AboutBox.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace mc {

namespace {

// The program's logo: a small grid of crosspoints, some of them switched,
// beside the program's name.
QPixmap drawLogo(int width, int height) {
    QPixmap picture(width, height);
    picture.fill(QColor(0x16, 0x2b, 0x4a));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    constexpr int kLines = 4;
    constexpr int kStep = 11;
    const int left = 12;
    const int top = (height - (kLines - 1) * kStep) / 2;
    const int span = (kLines - 1) * kStep;
    painter.setPen(QPen(QColor(0x8f, 0xa8, 0xc8), 1.2));
    for (int k = 0; k < kLines; ++k) {
        painter.drawLine(left + k * kStep, top - 4, left + k * kStep, top + span + 4);
        painter.drawLine(left - 4, top + k * kStep, left + span + 4, top + k * kStep);
    }
    // One switched crosspoint per row, the way the grid shows a routing.
    const int routed[kLines] = {2, 0, 3, 1};
    for (int row = 0; row < kLines; ++row) {
        for (int column = 0; column < kLines; ++column) {
            const QPointF centre(left + column * kStep, top + row * kStep);
            const bool on = routed[row] == column;
            painter.setPen(Qt::NoPen);
            painter.setBrush(on ? QColor(0xf5, 0xa6, 0x23) : QColor(0x3c, 0x5a, 0x80));
            painter.drawEllipse(centre, on ? 3.6 : 2.2, on ? 3.6 : 2.2);
        }
    }

    QFont font = painter.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect textArea(left + span + 18, 0, width - (left + span + 18) - 6, height);
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("matrix-control"));
    painter.end();
    return picture;
}

QLabel* textLabel(const QString& text, const QString& name, QWidget* parent, QRect place) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("关于汇切台"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(298, 213);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(8, 8, 282, 161);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(6, 6, 269, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(drawLogo(269, 57));

    ProductName = textLabel(QStringLiteral("matrix-control"), QStringLiteral("ProductName"), Panel1,
                            QRect(10, 70, 262, 18));
    Version = textLabel(QStringLiteral("Version  2.0 "), QStringLiteral("Version"), Panel1,
                        QRect(10, 90, 262, 18));
    Copyright = textLabel(QStringLiteral("matrix-control project"), QStringLiteral("Copyright"),
                          Panel1, QRect(10, 110, 262, 18));
    Comments = textLabel(QStringLiteral("Comments"), QStringLiteral("Comments"), Panel1,
                         QRect(10, 130, 262, 26));
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKButton = new QPushButton(tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 178, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

void TAboutBox::OKButtonClick() {
    accept();
}

void TAboutBox::setProgramFolder(const QString& folder) {
    const QFontMetrics metrics(Comments->font());
    const QString label = tr("程序文件夹：");
    const int room = Comments->width() - metrics.horizontalAdvance(label);
    Comments->setWordWrap(false);  // one line, already fitted
    Comments->setText(label + metrics.elidedText(folder, Qt::ElideMiddle, room));
    Comments->setToolTip(folder);
}

}  // namespace mc
