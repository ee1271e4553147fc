#include "ui/MatrixConfigUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <exception>
#include <string>

#include "config/ConfigDialogModel.h"
#include "config/ServiceSettings.h"
#include "config/Settings.h"
#include "control/CrosspointState.h"
#include "control/MatrixSession.h"
#include "serial/DeviceName.h"
#include "ui/Dialogs.h"
#include "ui/HexEdit.h"
#include "ui/LabeledEdit.h"
#include "ui/SerialDevicePicker.h"
#include "ui/ServicePage.h"
#include "ui/SpinField.h"

namespace mc {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

TConfigForm::TConfigForm(MatrixSession& session, IDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_session(session), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("ConfigForm"));
    createControls();
    applyTabOrder();
    connectHandlers();
    FormCreate();
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::setServicePages(const std::vector<ServiceSettingsPage>& pages) {
    for (const ServiceSettingsPage& description : pages) {
        auto* page = new ServicePage(description);
        PageControl1->addTab(page, page->title());
        ServicePages.push_back(page);
        connect(page->applyButton(), &QPushButton::clicked, this, &TConfigForm::UpDataButtonClick);
        connect(page->cancelButton(), &QPushButton::clicked, this, &TConfigForm::CancleButtonClick);
        // A text that stands for the model name shows the model shown,
        // whoever sets the model's text.
        connect(MatrixModelComboBox->lineEdit(), &QLineEdit::textChanged, page,
                &ServicePage::setModelName);
    }
}

template <typename Operation>
void TConfigForm::guarded(Operation&& operation) {
    try {
        operation();
    } catch (const std::exception& error) {
        m_dialogs.showError(this, QString::fromUtf8(error.what()));
    }
}

void TConfigForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TConfigForm::FormCreate() {
    MatrixAddressHexEdit->setMaxDigits(2);
    MatrixCustomAddressHexEdit->setMaxDigits(2);
}

void TConfigForm::FormShow() {
    const AppPaths& paths = m_session.paths();
    guarded([&] {
        const DialogValues v = loadDialogValues(paths);
        ComSelSpinEdit->setMaxLength(2);
        ComSelSpinEdit->setRange(kMinComPort, kMaxComPort);
        ComSelSpinEdit->setValue(v.ComPortNum);
        BandComboBox->setCurrentIndex(baudRateIndex(v.PortBandRate));
        CircleTimeSpinEdit->setValue(v.CircleTime);
        fillModelList(v.models);
        setModelText(qs(v.MatrixNowUse));
        // The model in use without a section of its own runs with the
        // build's defaults: the dialog shows those, not the table's zeros.
        const bool running =
            m_session.hasState() && v.MatrixNowUse == m_session.settings().MatrixNowUse;
        showModelFields(running && !hasModel(v.models, v.MatrixNowUse) ? runningFields()
                                                                       : v.fields);
    });
    for (ServicePage* page : ServicePages)
        page->showValues(readServiceSettings(paths, page->description()));
    paths.restoreCurrentDirectory();
    DevicePicker->startWatching(comDevicePath(ComSelSpinEdit->Value()));
    showComDevice();
}

void TConfigForm::ComSelSpinEditChange() {
    if (ComSelSpinEdit->Value() > kMaxComPort) ComSelSpinEdit->setValue(kMaxComPort);
    if (ComSelSpinEdit->Value() < kMinComPort) ComSelSpinEdit->setValue(kMinComPort);
    showComDevice();
}

std::string TConfigForm::comDevicePath(std::int32_t n) const {
    return commDevicePath(commName(n), m_session.port().portMap());
}

void TConfigForm::showComDevice() {
    const std::int32_t n = ComSelSpinEdit->Value();
    QString text = tr("串口 %1 打开的设备：%2").arg(n).arg(qs(comDevicePath(n)));
    const std::string picked = DevicePicker->pickedPath();
    if (!picked.empty()) text += tr("；应用后：%1").arg(qs(picked));
    ComDeviceLabel->setText(text);
    ComDeviceLabel->setToolTip(text);
}

void TConfigForm::CircleTimeSpinEditChange() {
    const AppPaths& paths = m_session.paths();
    guarded([&] {
        const std::int32_t stored = storeCircleTime(paths, CircleTimeSpinEdit->Value());
        m_session.setCircleTime(stored);
    });
    paths.restoreCurrentDirectory();
}

void TConfigForm::MatrixModelComboBoxChange() {
    const AppPaths& paths = m_session.paths();
    guarded([&] {
        // A name the table knows shows its model; a new name keeps what is
        // shown as the start of the new model.
        const std::string name = utf8(modelName());
        if (hasModel(modelNames(paths), name))
            showModelFields(readModelFields(paths, name, dialogDefaults::LogoOnNameChange));
    });
    paths.restoreCurrentDirectory();
}

void TConfigForm::MatrixPatternCheckBoxClick() {
    const AppPaths& paths = m_session.paths();
    const bool pattern = MatrixPatternCheckBox->isChecked();
    guarded([&] {
        if (auto refusal = storeMatrixPattern(paths, utf8(modelName()), pattern)) {
            MatrixPatternCheckBox->setChecked(!pattern);
            m_dialogs.showMessage(this, qs(*refusal));
            return;
        }
        m_session.setPattern(pattern);
    });
    paths.restoreCurrentDirectory();
}

NewModel TConfigForm::shownModel() const {
    NewModel model;
    model.name = utf8(modelName());
    model.addressText = utf8(MatrixAddressHexEdit->text());
    model.customAddressText = utf8(MatrixCustomAddressHexEdit->text());
    model.inputsText = utf8(MatrixInputLabeledEdit->text());
    model.outputsText = utf8(MatrixOutputLabeledEdit->text());
    model.pattern = MatrixPatternCheckBox->isChecked();
    model.logo = utf8(MatrixLogoLabeledEdit->text());
    return model;
}

ModelFields TConfigForm::runningFields() const {
    const CrosspointState& state = m_session.state();
    ModelFields fields;
    fields.MatrixAddress = state.MatrixAddress;
    fields.MatrixInputNum = state.MatrixInputNum();
    fields.MatrixOutputNum = state.MatrixOutputNum();
    fields.MatrixPattern = state.MatrixPattern;
    fields.MatrixCustomAddress = state.MatrixCustomAddress;
    fields.MatrixCustomLogo = state.MatrixCustomLogo;
    return fields;
}

void TConfigForm::AddMatrixModelClick() {
    const AppPaths& paths = m_session.paths();
    guarded([&] { storeShownModel(); });
    paths.restoreCurrentDirectory();
}

bool TConfigForm::storeShownModel() {
    const AddResult result = addModel(m_session.paths(), shownModel());
    if (result.refusal) {
        m_dialogs.showMessage(this, qs(*result.refusal));
        return false;
    }
    fillModelList(result.models);
    return true;
}

bool TConfigForm::keepChangedModel() {
    const AppPaths& paths = m_session.paths();
    bool go = true;
    guarded([&] {
        if (!modelFieldsChanged(paths, shownModel())) return;
        switch (m_dialogs.ask(this, tr("型号参数已修改，保存到型号表？"))) {
            case IDialogs::Answer::Yes:
                go = storeShownModel();
                break;
            case IDialogs::Answer::No:
                break;
            case IDialogs::Answer::Cancel:
                go = false;
                break;
        }
    });
    paths.restoreCurrentDirectory();
    return go;
}

void TConfigForm::Button3Click() {
    const AppPaths& paths = m_session.paths();
    guarded([&] {
        const DeleteResult result = deleteModel(paths, utf8(modelName()));
        fillModelList(result.models);
        setModelText(qs(result.shown));
        // The model now shown (none when the table is empty: the defaults).
        showModelFields(readModelFields(paths, result.shown, dialogDefaults::LogoOnNameChange));
    });
    paths.restoreCurrentDirectory();
}

void TConfigForm::UpDataButtonClick() {
    for (const ServicePage* page : ServicePages) {
        if (const std::optional<QString> refusal = page->refusal()) {
            m_dialogs.showMessage(this, *refusal);
            return;
        }
    }
    // Changed address or counts of the model shown go into the model table
    // first, or are dropped knowingly.
    if (!keepChangedModel()) return;
    ConfigChoice choice;
    choice.comPort = ComSelSpinEdit->Value();
    choice.baudRate = baudRateAt(BandComboBox->currentIndex());
    choice.devicePath = DevicePicker->pickedPath();
    choice.model = utf8(modelName());
    for (const ServicePage* page : ServicePages)
        choice.services.push_back(page->section());
    // Another matrix erases the names and modes: said first, and asked.
    const ApplyLoss loss = m_session.applyLoss(choice);
    if (loss.names > 0 || loss.modes > 0) {
        const QString question =
            tr("将删除 %1 个端口名称和 %2 个矩阵模式").arg(loss.names).arg(loss.modes);
        if (m_dialogs.ask(this, question) != IDialogs::Answer::Yes) return;
    }
    if (m_session.applyConfiguration(choice)) accept();
}

void TConfigForm::CancleButtonClick() {
    reject();
}

QString TConfigForm::modelName() const {
    return MatrixModelComboBox->currentText();
}

void TConfigForm::showModelFields(const ModelFields& fields) {
    MatrixAddressHexEdit->setText(qs(hexDisplay(fields.MatrixAddress)));
    MatrixInputLabeledEdit->setText(QString::number(fields.MatrixInputNum));
    MatrixOutputLabeledEdit->setText(QString::number(fields.MatrixOutputNum));
    MatrixLogoLabeledEdit->setText(qs(fields.MatrixCustomLogo));
    MatrixCustomAddressHexEdit->setText(qs(hexDisplay(fields.MatrixCustomAddress)));
    MatrixPatternCheckBox->setChecked(fields.MatrixPattern);
}

void TConfigForm::fillModelList(const std::vector<std::string>& models) {
    const QSignalBlocker blocker(MatrixModelComboBox);
    const QString text = MatrixModelComboBox->currentText();
    MatrixModelComboBox->clear();
    for (const std::string& name : models)
        MatrixModelComboBox->addItem(qs(name));
    MatrixModelComboBox->setCurrentIndex(-1);
    MatrixModelComboBox->setEditText(text);
}

void TConfigForm::setModelText(const QString& text) {
    const QSignalBlocker blocker(MatrixModelComboBox);
    const int index = MatrixModelComboBox->findText(text, Qt::MatchExactly);
    MatrixModelComboBox->setCurrentIndex(index);
    MatrixModelComboBox->setEditText(text);
}

}  // namespace mc
