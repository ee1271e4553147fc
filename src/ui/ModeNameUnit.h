#pragma once

// TModeNameForm (ModeNameForm): the modal dialog that asks for the name of a
// new matrix mode when the window saves a mode and none is current. Caption
// "输入效果名称", fixed client size 240 × 136 (outer 248 × 163 with a usual
// frame), centred on its parent.
//
// Use: the window runs it through IDialogs::exec (FormShow empties the edit
// each time it is shown), then copies CurrentModeName() into
// CrosspointState::CurrentModeName:
// - OK with an empty edit: the message "输入效果名称"; the dialog stays open.
// - OK with a name that cannot be part of an element name (modeNameProblem):
//   that message; the dialog stays open.
// - OK otherwise: CurrentModeName() = "Mode" + the text exactly as typed;
//   the dialog is accepted.
// - Cancel (or closing the dialog): CurrentModeName() = ""; rejected.
// Messages go through the dialog seam. UI thread only.

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace mc {

class IDialogs;

class TModeNameForm : public QDialog {
    Q_OBJECT

public:
    // dialogs must outlive the form.
    explicit TModeNameForm(IDialogs& dialogs, QWidget* parent = nullptr);

    // The element name chosen by the last OK, or empty after Cancel or before
    // any OK. UTF-8.
    std::string CurrentModeName() const { return m_currentModeName; }

    QLabel* Label1 = nullptr;
    QLineEdit* ModeNameEdit = nullptr;
    QPushButton* ModeNameOKButton = nullptr;
    QPushButton* ModeNameCancleButton = nullptr;

public slots:
    void ModeNameOKButtonClick();
    void ModeNameCancleButtonClick();

protected:
    // Empties ModeNameEdit every time the dialog is shown (QDialog centres
    // itself on its parent).
    void FormShow();
    void showEvent(QShowEvent* event) override;
    // Closing by the title bar or Escape counts as Cancel.
    void reject() override;

private:
    IDialogs& m_dialogs;
    std::string m_currentModeName;
};

}  // namespace mc
