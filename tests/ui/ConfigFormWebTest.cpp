// The configuration dialog's page "网页控制": Apply stores a new password as
// the hasher's text only, keeps or clears the stored one, and refuses
// mismatched passwords, bad addresses and a password-less panel off loopback.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "config/IniFile.h"
#include "ui/ConfigFormTestUtil.h"

namespace mc {
namespace {

class ConfigFormWebTest : public test::ConfigFormTest {
protected:
    void SetUp() override {
        writeMain(
            "[Web Control]\nEnabled=1\nAddress=127.0.0.1\nPort=8990\nPasswordHash=old\n"
            "AllowedHosts=panel.test\n");
        servicePages[1].hashPassword = [this](const std::string& password) {
            hashed.push_back(QString::fromStdString(password));
            return "hash" + std::to_string(hashed.size());
        };
        start();
        open();
        page = {test::child<QLineEdit>(*form, QStringLiteral("WebPasswordEdit")),
                test::child<QLineEdit>(*form, QStringLiteral("WebConfirmEdit")),
                test::child<QLineEdit>(*form, QStringLiteral("WebAddressEdit")),
                test::child<QSpinBox>(*form, QStringLiteral("WebPortSpinBox")),
                test::child<QLabel>(*form, QStringLiteral("WebPasswordState")),
                test::child<QPushButton>(*form, QStringLiteral("WebClearPasswordButton")),
                test::child<QLineEdit>(*form, QStringLiteral("WebAllowedHostsEdit")),
                test::child<QLabel>(*form, QStringLiteral("WebUrlLabel")),
                test::child<QPushButton>(*form, QStringLiteral("WebApplyButton"))};
    }
    std::string stored(const char* key) const {
        return iniReadString(paths.mainConfigFile(), "Web Control", key, "<missing>");
    }
    // Types the two passwords and the address, then Apply; the message shown, if any.
    QString apply(const QString& password, const QString& confirm, const QString& address) {
        page.WebPasswordEdit->setText(password);
        page.WebConfirmEdit->setText(confirm);
        page.WebAddressEdit->setText(address);
        dialogs.messages.clear();
        page.WebApplyButton->click();
        return dialogs.messages.empty() ? QString() : dialogs.messages.back();
    }

    // The page's controls, found by their names.
    struct Page {
        QLineEdit* WebPasswordEdit;
        QLineEdit* WebConfirmEdit;
        QLineEdit* WebAddressEdit;
        QSpinBox* WebPortSpinBox;
        QLabel* WebPasswordState;
        QPushButton* WebClearPasswordButton;
        QLineEdit* WebHostsEdit;
        QLabel* WebUrlLabel;
        QPushButton* WebApplyButton;
    };
    Page page{};
    std::vector<QString> hashed;
};

TEST_F(ConfigFormWebTest, ANewPasswordIsStoredAsItsHashOnlyAndEmptyFieldsKeepIt) {
    EXPECT_EQ(page.WebPasswordState->text(), QStringLiteral("已设置密码"));
    page.WebPortSpinBox->setValue(8080);
    EXPECT_EQ(apply({}, {}, QStringLiteral(" ::1 ")), QString());
    EXPECT_EQ(page.WebUrlLabel->text(), QStringLiteral("面板地址：http://[::1]:8080/"));
    EXPECT_EQ(stored("Address"), "::1");
    EXPECT_EQ(stored("Port"), "8080");
    EXPECT_EQ(stored("PasswordHash"), "old") << "empty fields keep the stored password";
    EXPECT_EQ(page.WebHostsEdit->text(), QStringLiteral("panel.test"));
    EXPECT_EQ(stored("AllowedHosts"), "panel.test") << "kept as it was shown";

    open();
    EXPECT_EQ(apply(QStringLiteral("秘密 1"), QStringLiteral("秘密 1"), QStringLiteral("0.0.0.0")),
              QString());
    EXPECT_EQ(hashed, std::vector<QString>{QStringLiteral("秘密 1")});
    EXPECT_EQ(stored("PasswordHash"), "hash1");
    EXPECT_EQ(mainText().find("秘密"), std::string::npos);
    EXPECT_EQ(readServiceSettings(paths, web::webSettingsPage()).at("PasswordHash"), "hash1");
}

TEST_F(ConfigFormWebTest, ApplyIsRefusedAndWritesNothingForEachFault) {
    const std::string before = mainText();
    EXPECT_TRUE(apply(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("127.0.0.1"))
                    .contains(QStringLiteral("不一致")));
    EXPECT_TRUE(apply({}, {}, QStringLiteral("localhost")).contains(QStringLiteral("localhost")));
    page.WebClearPasswordButton->click();
    EXPECT_EQ(page.WebPasswordState->text(), QStringLiteral("未设置密码"));
    EXPECT_TRUE(apply({}, {}, QStringLiteral("0.0.0.0")).contains(QStringLiteral("需要密码")));
    EXPECT_EQ(mainText(), before);
    EXPECT_TRUE(form->isVisible());

    EXPECT_EQ(apply({}, {}, QStringLiteral("127.0.0.1")), QString()) << "loopback needs none";
    EXPECT_EQ(stored("PasswordHash"), "") << "cleared";
    EXPECT_TRUE(hashed.empty());
}

}  // namespace
}  // namespace mc
