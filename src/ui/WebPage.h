#pragma once

// WebPage, the configuration dialog's page "网页控制": the section "Web
// Control" of MatrixConfig.con as the operator edits it (Enabled, Address,
// Port and the password). The dialog fills it when it opens (showSettings)
// and reads it at Apply (refusal, then settings).
//
// The password is typed twice; while both fields are empty the stored hash
// stays. "清除密码" removes it at Apply (the fields are emptied and the state
// line says "未设置密码"). The page never holds or stores the password beyond
// its two fields: settings() turns a new one into its hash with the hasher
// the program gives (the hashing lives with the web server, which this
// folder may not use). Without a hasher a new password is refused.
//
// Apply is refused, with the reason, when the two fields differ, the address
// is not a numeric IPv4 or IPv6 address, or the panel is enabled on an
// address other than a loopback one without a password (stored or new).
//
// The page carries its own "应用" and "取消" buttons, as NetworkPage does.
// UI thread only.

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "config/StartupSettings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace mc {

// Turns a password into the text stored as "PasswordHash".
using PasswordHasher = std::function<std::string(const QString& password)>;

class WebPage : public QWidget {
    Q_OBJECT

public:
    explicit WebPage(QWidget* parent = nullptr);

    void setPasswordHasher(PasswordHasher hasher) { m_hasher = std::move(hasher); }

    // Shows the settings, empties the password fields and forgets a pending
    // "清除密码"; a port outside 1..65535 shows the nearest limit.
    void showSettings(const WebSettings& web);
    // The message that refuses Apply, or nothing when the page may be applied.
    std::optional<QString> refusal() const;
    // What the page shows: the address without surrounding spaces and, for a
    // new password, its hash (which costs a key derivation). Call only when
    // refusal() is empty.
    WebSettings settings() const;

    // --- Controls (owned by the page) ------------------------------------------
    QGroupBox* WebGroupBox = nullptr;
    QCheckBox* WebEnabledCheckBox = nullptr;
    QLabel* WebAddressLabel = nullptr;
    QLineEdit* WebAddressEdit = nullptr;
    QLabel* WebAddressNote = nullptr;
    QLabel* WebPortLabel = nullptr;
    QSpinBox* WebPortSpinBox = nullptr;
    QLabel* WebPasswordLabel = nullptr;
    QLineEdit* WebPasswordEdit = nullptr;
    QLabel* WebConfirmLabel = nullptr;
    QLineEdit* WebConfirmEdit = nullptr;
    QLabel* WebPasswordState = nullptr;  // "已设置密码" / "未设置密码"
    QPushButton* WebClearPasswordButton = nullptr;
    QLabel* WebHostsLabel = nullptr;
    QLineEdit* WebHostsEdit = nullptr;  // "AllowedHosts"
    QLabel* WebUrlLabel = nullptr;      // "面板地址：http://<address>:<port>/"
    QPushButton* WebApplyButton = nullptr;
    QPushButton* WebCancelButton = nullptr;

private:
    void clearPassword();
    void showUrl();
    void showPasswordState();
    // Whether a password will be in force after Apply: a new one typed, or the
    // stored one not cleared.
    bool hasPassword() const;

    PasswordHasher m_hasher;
    std::string m_storedHash;
    bool m_cleared = false;
};

}  // namespace mc
