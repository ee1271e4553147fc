#pragma once

// TConfigForm, the configuration dialog "配置汇切台": serial port and speed,
// cycle interval, and the model table (show, add or overwrite, delete a model,
// set its pattern flag), and on the page "串口设备" (SerialDevicePicker.h) the
// serial devices present, one of which the operator may pick for the port
// number; ComDeviceLabel, under the port number, names the device that number
// opens now and, with a pick, the one it opens after Apply. Apply makes the
// model shown the model in use, stores the port settings, deletes all port
// names and matrix modes, and rebuilds the control window.
//
// The program creates the dialog once, after the control window, and keeps it
// for the whole run; the control window's ConfigMenuItemClick shows it modally
// through IDialogs::exec. Every opening (FormShow, from showEvent) reloads all
// controls from the configuration files; the model worked on is always the
// text of MatrixModelComboBox. The file work lives in ConfigDialogModel.h and
// the session (MatrixSession::applyConfiguration); the handlers here move
// values between those and the controls, and show refusals and errors
// through IDialogs. A handler never lets an exception reach Qt's event loop.
//
// Handlers run for operator actions only, except where noted: the two spin
// fields' change handlers run on every change of their text (CircleTime is
// therefore stored when FormShow sets a different value); the model box's
// handler runs for each keystroke and each pick from the list, never when the
// dialog sets its text; the pattern box's handler runs for the operator's
// click only, never when the dialog loads a model.
//
// The model in use shows the values it runs with, also when the model table
// has no section for it. Typing a name the table knows shows that model;
// typing a new name keeps the values shown as the start of the new model.
//
// Apply (UpDataButtonClick) first asks, when the address or the port counts
// shown differ from what the model table holds for the model shown, whether
// to save them there ("型号参数已修改，保存到型号表？": Yes saves them as
// "添加为新矩阵" does, No drops them, Cancel stops Apply). Then it runs its
// steps in order: close the port twice,
// store port and rate, map the port number to the picked device (when one is
// picked) in "Serial Port Map", try to open the port (error box with "&Ignore": fall
// back to COM1 / 1 / 9600), MatrixFree, store the rate again, the model in use
// and both name switches off, set the window caption, erase the port names,
// remove every matrix mode, clear CurrentModeName, RedrawMatrixForm(true),
// close. Whatever fails on the way (a file that cannot be written, a
// malformed mode file) is shown, and the control window is rebuilt from what
// is stored all the same; the dialog closes only when no file write failed.
//
// After "串口设备" come the network services' pages (ServicePage.h), one per
// service in the order setServicePages gives them ("网络控制", "网页控制"): each
// shows its service's section of MatrixConfig.con when the dialog opens;
// Apply hands what they show to the session with the rest, and is refused
// with a page's message, changing nothing, while a page refuses its values.
//
// The dialog hands the session what the operator chose; the session runs
// Apply's steps. UI thread only.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QWidget;

namespace mc {

class IDialogs;
class LabeledEdit;
class SpinField;
class ServicePage;
struct ServiceSettingsPage;
class MatrixSession;
class SerialDevicePicker;
class THexEdit;
struct ModelFields;
struct NewModel;

class TConfigForm : public QDialog {
    Q_OBJECT

public:
    // Builds every control and runs FormCreate. The dialog is a window of its
    // own, shown at screen position 192, 106.
    // REQUIRES: session and dialogs outlive the dialog.
    TConfigForm(MatrixSession& session, IDialogs& dialogs, QWidget* parent = nullptr);
    ~TConfigForm() override;

    // Adds a page for each service's settings, after "串口设备". Once, before
    // the dialog is first shown.
    void setServicePages(const std::vector<ServiceSettingsPage>& pages);

    // --- Handlers -------------------------------------------------------------
    void FormCreate();
    void FormShow();
    void ComSelSpinEditChange();
    void CircleTimeSpinEditChange();
    void MatrixModelComboBoxChange();
    void MatrixPatternCheckBoxClick();
    void AddMatrixModelClick();
    void Button3Click();
    void UpDataButtonClick();
    void CancleButtonClick();

    // --- Controls (owned by Qt's parent chain) ----------------------------------
    QTabWidget* PageControl1 = nullptr;
    QWidget* MatrixSetTabSheet = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    SpinField* ComSelSpinEdit = nullptr;
    // The device the port number opens now, and the one it opens after Apply
    // when a device is picked on the page "串口设备".
    QLabel* ComDeviceLabel = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* BandComboBox = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* CircleTimeLabel = nullptr;
    SpinField* CircleTimeSpinEdit = nullptr;
    QGroupBox* MatrixMessageGroupBox = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* MatrixModelComboBox = nullptr;
    LabeledEdit* MatrixInputLabeledEdit = nullptr;
    LabeledEdit* MatrixOutputLabeledEdit = nullptr;
    QLabel* Label4 = nullptr;
    THexEdit* MatrixAddressHexEdit = nullptr;
    QLabel* Label5 = nullptr;
    THexEdit* MatrixCustomAddressHexEdit = nullptr;
    LabeledEdit* MatrixLogoLabeledEdit = nullptr;
    QCheckBox* MatrixPatternCheckBox = nullptr;
    QPushButton* AddMatrixModel = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* UpDataButton = nullptr;
    QPushButton* CancleButton = nullptr;
    SerialDevicePicker* DevicePicker = nullptr;  // the page "串口设备"
    // The network services' pages, in order.
    std::vector<ServicePage*> ServicePages;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // MatrixConfigControls.cpp
    void createControls();
    void createPortGroup();
    void createSystemGroup();
    void createModelGroup();
    void applyTabOrder();
    void connectHandlers();

    // MatrixConfigUnit.cpp
    QString modelName() const;
    void showModelFields(const ModelFields& fields);
    // Refills the model box's list with its handler suspended; the text stays.
    void fillModelList(const std::vector<std::string>& models);
    void setModelText(const QString& text);
    // What the model fields show, as typed.
    NewModel shownModel() const;
    // What the model in use runs with. REQUIRES: the session has a state.
    ModelFields runningFields() const;
    // Adds or overwrites the model shown; false (the refusal shown) when a
    // field is not usable.
    bool storeShownModel();
    // Apply's first step: when the address or the counts shown differ from
    // what the model table holds for the model shown, asks whether to save
    // them there ("型号参数已修改，保存到型号表？"). False when Apply stops:
    // cancelled, or the model could not be saved.
    bool keepChangedModel();
    // The device port number n opens with the port map in use.
    std::string comDevicePath(std::int32_t n) const;
    void showComDevice();
    template <typename Operation>
    void guarded(Operation&& operation);

    MatrixSession& m_session;
    IDialogs& m_dialogs;
};

}  // namespace mc
