#include "ui/ServicePage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "config/IniFile.h"
#include "config/SettingsDefaults.h"
#include "config/StartupSettings.h"
#include "ui/PageControls.h"

namespace mc {

namespace {

using pagecontrols::button;
using pagecontrols::label;
using pagecontrols::named;

constexpr int kLeft = 17;
constexpr int kFieldLeft = 149;

QLineEdit* passwordEdit(QWidget* parent, int top, const QString& name) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setGeometry(kFieldLeft, top, 200, 21);
    return edit;
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

ServicePage::ServicePage(ServiceSettingsPage description, QWidget* parent)
    : QWidget(parent), m_description(std::move(description)) {
    const QString id = qs(m_description.id);
    setObjectName(id + QStringLiteral("TabSheet"));
    m_group = named(new QGroupBox(title(), this), id + QStringLiteral("GroupBox"));
    int top = 30;
    for (const SettingField& field : m_description.fields)
        top = addField(field, top);
    m_group->setGeometry(2, 4, 571, top - 3);

    m_apply = button(tr("应用"), 324, 392, this, id + QStringLiteral("ApplyButton"));
    m_cancel = button(tr("取消"), 445, 392, this, id + QStringLiteral("CancelButton"));

    // Tab order: the fields as created, then the buttons.
    QList<QWidget*> order;
    for (QWidget* child : m_group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->focusPolicy() & Qt::TabFocus) order.append(child);
    }
    order << m_apply << m_cancel;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    showPasswordState();
    showLinks();
}

QString ServicePage::title() const {
    return text(m_description.title);
}

QString ServicePage::text(const char* source) const {
    return QCoreApplication::translate(m_description.context, source);
}

QString ServicePage::controlName(const SettingField& field, const char* suffix) const {
    return qs(m_description.id) + qs(field.key) + QLatin1String(suffix);
}

// Adds the controls of `field` at `top`; returns the top of the next.
int ServicePage::addField(const SettingField& field, int top) {
    QGroupBox* group = m_group;
    switch (field.kind) {
        case FieldKind::Switch: {
            auto* box =
                named(new QCheckBox(text(field.caption), group), controlName(field, "CheckBox"));
            box->move(kLeft, top);
            box->adjustSize();
            m_switches[field.key] = box;
            return top + 34;
        }
        case FieldKind::Address:
        case FieldKind::Text: {
            label(text(field.caption), kLeft, top + 4, group, controlName(field, "Label"));
            auto* edit = named(new QLineEdit(group), controlName(field, "Edit"));
            edit->setGeometry(kFieldLeft, top, field.maxLength > 64 ? 410 : 260, 21);
            if (field.maxLength > 0) edit->setMaxLength(field.maxLength);
            m_edits[field.key] = edit;
            if (field.modelPlaceholder) m_modelNamed.push_back(edit);
            connect(edit, &QLineEdit::textChanged, this, &ServicePage::showLinks);
            if (field.kind == FieldKind::Text || field.hint == nullptr) {
                if (field.hint != nullptr) edit->setPlaceholderText(text(field.hint));
                return top + 40;
            }
            auto* note = named(new QLabel(text(field.hint), group), controlName(field, "Note"));
            note->setWordWrap(true);
            note->setGeometry(kFieldLeft, top + 24, 410, 32);
            return top + 64;
        }
        case FieldKind::Port: {
            label(text(field.caption), kLeft, top + 4, group, controlName(field, "Label"));
            auto* spin = named(new QSpinBox(group), controlName(field, "SpinBox"));
            spin->setGeometry(kFieldLeft, top, 80, 22);
            spin->setRange(kMinNetworkPort, kMaxNetworkPort);
            spin->setValue(parseIniInteger(field.defaultValue).value_or(kMinNetworkPort));
            m_ports[field.key] = spin;
            connect(spin, &QSpinBox::valueChanged, this, &ServicePage::showLinks);
            return top + 40;
        }
        case FieldKind::PasswordHash:
            return addPassword(field, top);
        case FieldKind::Kept:
            return top;
        case FieldKind::Link: {
            auto* link = named(new QLabel(group), controlName(field, "Label"));
            link->setGeometry(kLeft, top, 540, 21);
            link->setTextInteractionFlags(Qt::TextSelectableByMouse);
            m_links[field.key] = link;
            return top + 38;
        }
    }
    return top;
}

int ServicePage::addPassword(const SettingField& field, int top) {
    const QString id = qs(m_description.id);
    label(text(field.caption), kLeft, top + 4, m_group, id + QStringLiteral("PasswordLabel"));
    m_password = passwordEdit(m_group, top, id + QStringLiteral("PasswordEdit"));
    m_password->setPlaceholderText(tr("留空：保留已存的密码"));
    label(tr("确认密码 "), kLeft, top + 36, m_group, id + QStringLiteral("ConfirmLabel"));
    m_confirm = passwordEdit(m_group, top + 32, id + QStringLiteral("ConfirmEdit"));
    m_passwordState = named(new QLabel(m_group), id + QStringLiteral("PasswordState"));
    m_passwordState->setGeometry(kFieldLeft, top + 64, 200, 21);
    m_clearPassword =
        button(tr("清除密码"), 360, top + 62, m_group, id + QStringLiteral("ClearPasswordButton"));
    connect(m_clearPassword, &QPushButton::clicked, this, &ServicePage::clearPassword);
    return top + 100;
}

void ServicePage::showValues(const SettingsValues& values) {
    for (const auto& [key, box] : m_switches)
        box->setChecked(settingFlag(values, key));
    for (const auto& [key, edit] : m_edits)
        edit->setText(qs(settingText(values, key)));
    for (const SettingField& field : m_description.fields)
        if (field.kind == FieldKind::Kept) m_kept[field.key] = settingText(values, field.key);
    for (const auto& [key, spin] : m_ports)
        spin->setValue(std::clamp(settingNumber(values, key, spin->value()), kMinNetworkPort,
                                  kMaxNetworkPort));
    if (const SettingField* hash = m_description.field(FieldKind::PasswordHash)) {
        m_password->clear();
        m_confirm->clear();
        m_storedHash = settingText(values, hash->key);
        m_cleared = false;
    }
    showPasswordState();
    showLinks();
}

SettingsValues ServicePage::shownValues() const {
    SettingsValues values(m_kept.begin(), m_kept.end());
    for (const auto& [key, box] : m_switches)
        values.insert_or_assign(key, std::string(1, box->isChecked() ? '1' : '0'));
    for (const auto& [key, edit] : m_edits)
        values[key] = edit->text().trimmed().toStdString();
    for (const auto& [key, spin] : m_ports)
        values[key] = std::to_string(spin->value());
    if (const SettingField* hash = m_description.field(FieldKind::PasswordHash))
        values[hash->key] = m_cleared ? std::string() : m_storedHash;
    return values;
}

std::optional<QString> ServicePage::refusal() const {
    // Every address field must be one the service can listen on.
    for (const SettingField& field : m_description.fields) {
        if (field.kind != FieldKind::Address) continue;
        const auto edit = m_edits.find(field.key);
        const QString address = edit == m_edits.end() ? QString() : edit->second->text().trimmed();
        if (!isListenAddress(address.toStdString()))
            return tr("%1的监听地址“%2”无效：请填写 IPv4 地址（如 127.0.0.1，0.0.0.0 "
                      "表示所有网络接口）或 IPv6 地址（如 ::1）。")
                .arg(title(), address);
    }
    if (!m_description.refusal) return std::nullopt;
    PasswordEntry entry;
    if (m_password) {
        entry.password = m_password->text().toStdString();
        entry.confirm = m_confirm->text().toStdString();
    }
    const auto refused = m_description.refusal(shownValues(), entry);
    if (!refused) return std::nullopt;
    return qs(*refused);
}

ServiceSection ServicePage::section() const {
    SettingsValues values = shownValues();
    const SettingField* hash = m_description.field(FieldKind::PasswordHash);
    if (hash && !m_password->text().isEmpty() && m_description.hashPassword)
        values[hash->key] = m_description.hashPassword(m_password->text().toStdString());
    return ServiceSection{m_description.section, m_description.fields, std::move(values)};
}

void ServicePage::setModelName(const QString& model) {
    for (QLineEdit* edit : m_modelNamed)
        edit->setPlaceholderText(model);
}

void ServicePage::clearPassword() {
    m_password->clear();
    m_confirm->clear();
    m_cleared = true;
    showPasswordState();
}

void ServicePage::showPasswordState() {
    if (!m_passwordState) return;
    const bool stored = !m_cleared && !m_storedHash.empty();
    m_passwordState->setText(stored ? tr("已设置密码") : tr("未设置密码"));
    m_clearPassword->setEnabled(stored);
}

// A link shows the address field's text (in brackets when it is IPv6) and
// the port field's value.
void ServicePage::showLinks() {
    if (m_links.empty()) return;
    const SettingField* addressField = m_description.field(FieldKind::Address);
    const SettingField* portField = m_description.field(FieldKind::Port);
    const QString address =
        addressField ? m_edits.at(addressField->key)->text().trimmed() : QString();
    const QString host =
        address.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(address) : address;
    const int port = portField ? m_ports.at(portField->key)->value() : 0;
    for (const SettingField& field : m_description.fields) {
        if (field.kind == FieldKind::Link)
            m_links.at(field.key)->setText(text(field.caption).arg(host).arg(port));
    }
}

}  // namespace mc
