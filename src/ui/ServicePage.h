#pragma once

// ServicePage: a page of the configuration dialog built from a network
// service's settings description (ServiceSettingsPage): its section of
// MatrixConfig.con as the operator edits it. The dialog fills it when it
// opens (showValues) and reads it at Apply (refusal, then section); an
// address field that is not a numeric IP address refuses Apply. The page
// holds no state beyond its controls and the stored password hash.
//
// Each field becomes its controls, one under the other, named after the
// service's id and the field's key ("NetworkAddressEdit"):
//   Switch        a check box                     <id><key>CheckBox
//   Address       a line edit, its hint under it  <id><key>Label, Edit, Note
//   Port          a spin box (1..65535)           <id><key>Label, SpinBox
//   Text          a line edit, the hint as its placeholder (or the model name
//                 shown, for a field whose empty value stands for it)
//                                                 <id><key>Label, Edit
//   PasswordHash  the password typed twice ("密码", "确认密码"), whether one is
//                 stored ("已设置密码" / "未设置密码") and "清除密码", which
//                 removes it at Apply. While both fields are empty the stored
//                 hash stays; a new password is stored as the hash the
//                 description's hasher makes of it, never as itself.
//                                                 <id>PasswordLabel, Edit,
//                                                 ConfirmLabel, Edit,
//                                                 PasswordState, ClearPasswordButton
//   Link          a line with the address and port shown ("面板地址：…")
//                                                 <id><key>Label
//   Kept          no control: the value shown last is applied unchanged
// The page carries its own "应用" and "取消" buttons at the places of the first
// page's, so Apply is at hand on every page; the dialog connects them to its
// handlers. UI thread only.

#include <QString>
#include <QWidget>
#include <map>
#include <optional>
#include <string>

#include "config/ServiceSettings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace mc {

class ServicePage : public QWidget {
    Q_OBJECT

public:
    explicit ServicePage(ServiceSettingsPage description, QWidget* parent = nullptr);

    const ServiceSettingsPage& description() const { return m_description; }
    // The page's tab title, translated.
    QString title() const;

    // Shows the values, empties the password fields and forgets a pending
    // "清除密码"; a port outside 1..65535 shows the nearest limit.
    void showValues(const SettingsValues& values);
    // The message that refuses Apply, or nothing when the page may be applied.
    std::optional<QString> refusal() const;
    // What the page shows, for Apply: addresses and texts without surrounding
    // spaces and, for a new password, its hash (which may cost a key
    // derivation). Call only when refusal() is empty.
    ServiceSection section() const;
    // The model that an empty model-named text stands for, shown as its
    // placeholder.
    void setModelName(const QString& model);

    QGroupBox* groupBox() const { return m_group; }
    QPushButton* applyButton() const { return m_apply; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QString text(const char* source) const;
    QString controlName(const SettingField& field, const char* suffix) const;
    int addField(const SettingField& field, int top);
    int addPassword(const SettingField& field, int top);
    // The values shown, the password hash as it stands after Apply unless a
    // new password is typed.
    SettingsValues shownValues() const;
    void clearPassword();
    void showLinks();
    void showPasswordState();

    ServiceSettingsPage m_description;
    QGroupBox* m_group = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    std::map<std::string, QCheckBox*> m_switches;
    std::map<std::string, QLineEdit*> m_edits;  // Address and Text
    std::map<std::string, QSpinBox*> m_ports;
    std::map<std::string, QLabel*> m_links;
    SettingsValues m_kept;  // the Kept fields as shown last
    std::vector<QLineEdit*> m_modelNamed;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_confirm = nullptr;
    QLabel* m_passwordState = nullptr;
    QPushButton* m_clearPassword = nullptr;
    std::string m_storedHash;
    bool m_cleared = false;
};

}  // namespace mc
