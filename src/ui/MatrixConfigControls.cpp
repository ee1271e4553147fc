// TConfigForm: the controls with their captions, positions, sizes, limits and
// tab order, and the connection of their events to the handlers.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "config/ConfigDialogModel.h"
#include "control/MatrixSession.h"
#include "ui/HexEdit.h"
#include "ui/LabeledEdit.h"
#include "ui/MatrixConfigUnit.h"
#include "ui/SerialDevicePicker.h"
#include "ui/SpinField.h"

namespace mc {

namespace {

QLabel* label(const QString& caption, int left, int top, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->adjustSize();
    l->move(left, top);
    return l;
}

QPushButton* button(const QString& caption, int left, int top, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(left, top, 85, 25);
    // The dialog has no default button: Enter in a field presses nothing.
    b->setAutoDefault(false);
    return b;
}

}  // namespace

void TConfigForm::createControls() {
    setWindowTitle(tr("配置汇切台"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(581, 454);
    move(192, 106);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 581, 453);
    MatrixSetTabSheet = new QWidget;
    MatrixSetTabSheet->setObjectName(QStringLiteral("MatrixSetTabSheet"));
    PageControl1->addTab(MatrixSetTabSheet, tr("矩阵设置"));

    createPortGroup();
    createSystemGroup();
    createModelGroup();
    DevicePicker = new SerialDevicePicker(m_session.deviceRoots());
    PageControl1->addTab(DevicePicker, tr("串口设备"));

    UpDataButton = button(tr("应用"), 324, 392, MatrixSetTabSheet);
    CancleButton = button(tr("取消"), 445, 392, MatrixSetTabSheet);
}

void TConfigForm::createPortGroup() {
    GroupBox1 = new QGroupBox(tr("串口设置"), MatrixSetTabSheet);
    GroupBox1->setGeometry(2, 4, 571, 87);
    Label1 = label(tr("串口 "), 17, 38, GroupBox1);

    ComSelSpinEdit = new SpinField(GroupBox1);
    ComSelSpinEdit->setGeometry(149, 35, 44, 22);
    ComSelSpinEdit->setMaxLength(2);
    ComSelSpinEdit->setRange(kMinComPort, kMaxComPort);
    ComSelSpinEdit->setValue(1);
    ComDeviceLabel = new QLabel(GroupBox1);
    ComDeviceLabel->setObjectName(QStringLiteral("ComDeviceLabel"));
    ComDeviceLabel->setGeometry(17, 62, 545, 18);

    Label2 = label(tr("波特率  "), 295, 38, GroupBox1);
    BandComboBox = new QComboBox(GroupBox1);
    BandComboBox->setGeometry(396, 35, 120, 21);
    for (std::int32_t rate : kBaudRates)
        BandComboBox->addItem(QString::number(rate));
    BandComboBox->setCurrentIndex(0);
}

void TConfigForm::createSystemGroup() {
    GroupBox2 = new QGroupBox(tr("系统设置"), MatrixSetTabSheet);
    GroupBox2->setGeometry(1, 96, 571, 62);
    CircleTimeLabel = label(tr("循环时间间隔 (秒)      "), 17, 28, GroupBox2);

    CircleTimeSpinEdit = new SpinField(GroupBox2);
    CircleTimeSpinEdit->setGeometry(149, 22, 120, 22);
    CircleTimeSpinEdit->setRange(kMinCircleTime, kMaxCircleTime);
    CircleTimeSpinEdit->setValue(1);
}

void TConfigForm::createModelGroup() {
    MatrixMessageGroupBox = new QGroupBox(tr("矩阵信息"), MatrixSetTabSheet);
    MatrixMessageGroupBox->setGeometry(1, 171, 571, 205);
    QGroupBox* group = MatrixMessageGroupBox;

    Label3 = label(tr("型号 "), 17, 40, group);
    MatrixModelComboBox = new QComboBox(group);
    MatrixModelComboBox->setEditable(true);
    // The text is the model worked on: no completion, and Enter adds no item.
    MatrixModelComboBox->setCompleter(nullptr);
    MatrixModelComboBox->setInsertPolicy(QComboBox::NoInsert);
    MatrixModelComboBox->setGeometry(149, 34, 120, 21);

    MatrixInputLabeledEdit = new LabeledEdit(tr("输入端口数    "), 30, group);
    MatrixInputLabeledEdit->setGeometry(399, 34, 120, 21);
    MatrixOutputLabeledEdit = new LabeledEdit(tr("输出端口数    "), 30, group);
    MatrixOutputLabeledEdit->setGeometry(399, 82, 120, 21);

    Label4 = label(tr("地址(十六进制)    "), 17, 86, group);
    MatrixAddressHexEdit = new THexEdit(group);
    MatrixAddressHexEdit->setGeometry(149, 82, 120, 21);
    Label5 = label(tr("自定义地址(十六进制)       "), 16, 131, group);
    MatrixCustomAddressHexEdit = new THexEdit(group);
    MatrixCustomAddressHexEdit->setGeometry(149, 126, 120, 21);

    MatrixLogoLabeledEdit = new LabeledEdit(tr(" 自定义矩阵Logo     "), 5, group);
    MatrixLogoLabeledEdit->setGeometry(399, 126, 120, 21);
    for (LabeledEdit* edit :
         {MatrixInputLabeledEdit, MatrixOutputLabeledEdit, MatrixLogoLabeledEdit})
        edit->placeLabel();

    MatrixPatternCheckBox = new QCheckBox(tr("非QXR-V或QXR-AV系列矩阵"), group);
    // Wide enough for its caption in the font in use.
    MatrixPatternCheckBox->setGeometry(
        16, 165, std::max(171, MatrixPatternCheckBox->sizeHint().width()), 17);

    AddMatrixModel = button(tr("添加为新矩阵"), 324, 168, group);
    Button3 = button(tr("删除当前矩阵"), 445, 168, group);
}

void TConfigForm::applyTabOrder() {
    QWidget* const order[] = {PageControl1,
                              ComSelSpinEdit,
                              BandComboBox,
                              CircleTimeSpinEdit,
                              MatrixModelComboBox,
                              MatrixInputLabeledEdit,
                              AddMatrixModel,
                              MatrixOutputLabeledEdit,
                              Button3,
                              MatrixLogoLabeledEdit,
                              MatrixAddressHexEdit,
                              MatrixCustomAddressHexEdit,
                              MatrixPatternCheckBox,
                              UpDataButton,
                              CancleButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TConfigForm::connectHandlers() {
    connect(ComSelSpinEdit, &SpinField::changed, this, &TConfigForm::ComSelSpinEditChange);
    connect(CircleTimeSpinEdit, &SpinField::changed, this, &TConfigForm::CircleTimeSpinEditChange);
    // Keystrokes in the text and picks from the list; the dialog's own
    // changes of the text emit neither.
    connect(MatrixModelComboBox->lineEdit(), &QLineEdit::textEdited, this,
            &TConfigForm::MatrixModelComboBoxChange);
    connect(MatrixModelComboBox, &QComboBox::activated, this,
            &TConfigForm::MatrixModelComboBoxChange);
    // clicked: the operator's click only, never setChecked.
    connect(MatrixPatternCheckBox, &QCheckBox::clicked, this,
            &TConfigForm::MatrixPatternCheckBoxClick);
    connect(AddMatrixModel, &QPushButton::clicked, this, &TConfigForm::AddMatrixModelClick);
    connect(Button3, &QPushButton::clicked, this, &TConfigForm::Button3Click);
    connect(UpDataButton, &QPushButton::clicked, this, &TConfigForm::UpDataButtonClick);
    connect(CancleButton, &QPushButton::clicked, this, &TConfigForm::CancleButtonClick);
    // The device page's buttons are the first page's (so are the service
    // pages', setServicePages).
    connect(DevicePicker->DeviceApplyButton, &QPushButton::clicked, this,
            &TConfigForm::UpDataButtonClick);
    connect(DevicePicker->DeviceCancelButton, &QPushButton::clicked, this,
            &TConfigForm::CancleButtonClick);
    connect(DevicePicker, &SerialDevicePicker::pickChanged, this, &TConfigForm::showComDevice);
    connect(this, &QDialog::finished, DevicePicker, &SerialDevicePicker::stopWatching);
}

}  // namespace mc
