#include "ui/ModeNameUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

#include "store/ModeName.h"
#include "store/ModeStore.h"
#include "ui/Dialogs.h"
#include "ui/Translation.h"

namespace mc {

namespace {

// The dialog's outer size is 248 × 163 with a 4-pixel border and a 23-pixel
// caption; the controls are placed in the client area that leaves.
constexpr int kClientWidth = 248 - 2 * 4;
constexpr int kClientHeight = 163 - 23 - 4;

}  // namespace

TModeNameForm::TModeNameForm(IDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("ModeNameForm"));
    setWindowTitle(tr("输入效果名称"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = new QLabel(tr("效果名称   "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(19, 40, 57, 13);
    // The English caption is wider than the Chinese one it replaces; the
    // field starts at 120.
    if (speaksEnglish()) Label1->resize(std::min(Label1->sizeHint().width(), 120 - 19 - 4), 13);

    ModeNameEdit = new QLineEdit(this);
    ModeNameEdit->setObjectName(QStringLiteral("ModeNameEdit"));
    ModeNameEdit->setGeometry(120, 36, 93, 21);

    ModeNameOKButton = new QPushButton(tr("确定"), this);
    ModeNameOKButton->setObjectName(QStringLiteral("ModeNameOKButton"));
    ModeNameOKButton->setGeometry(32, 88, 65, 25);
    ModeNameOKButton->setAutoDefault(false);
    // Enter in the name field confirms.
    ModeNameOKButton->setDefault(true);

    ModeNameCancleButton = new QPushButton(tr("取消"), this);
    ModeNameCancleButton->setObjectName(QStringLiteral("ModeNameCancleButton"));
    ModeNameCancleButton->setGeometry(144, 88, 65, 25);
    ModeNameCancleButton->setAutoDefault(false);

    connect(ModeNameOKButton, &QPushButton::clicked, this, &TModeNameForm::ModeNameOKButtonClick);
    connect(ModeNameCancleButton, &QPushButton::clicked, this,
            &TModeNameForm::ModeNameCancleButtonClick);
}

void TModeNameForm::ModeNameOKButtonClick() {
    const QString text = ModeNameEdit->text();
    if (text.isEmpty()) {
        m_dialogs.showMessage(this, tr("输入效果名称"));
        return;
    }
    const std::string name = text.toStdString();
    if (const auto problem = modeNameProblem(name)) {
        m_dialogs.showMessage(this, QString::fromStdString(*problem));
        return;
    }
    m_currentModeName = modeElementName(name);
    accept();
}

void TModeNameForm::ModeNameCancleButtonClick() {
    reject();
}

void TModeNameForm::reject() {
    m_currentModeName.clear();
    QDialog::reject();
}

void TModeNameForm::FormShow() {
    ModeNameEdit->clear();
    ModeNameEdit->setFocus();
}

void TModeNameForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

}  // namespace mc
