// The configuration dialog's page "网页控制": Apply stores the section with a
// new password as the hasher's text only, keeps or clears the stored one,
// and refuses mismatched passwords, bad addresses and a password-less panel
// on a non-loopback address.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "config/IniFile.h"
#include "ui/ConfigFormTestUtil.h"
#include "ui/WebPage.h"

namespace mc {
namespace {

using test::ConfigFormTest;

class ConfigFormWebTest : public ConfigFormTest {
protected:
    void startWith(const std::string& section) {
        writeMain("[Web Control]\n" + section);
        start();
        form->setPasswordHasher([this](const QString& password) {
            hashed.push_back(password);
            return "hash" + std::to_string(hashed.size());
        });
        open();
        page = form->WebTabSheet;
    }
    std::string stored(const char* key) const {
        return iniReadString(paths.mainConfigFile(), "Web Control", key, "<missing>");
    }
    void type(const QString& password, const QString& confirm) {
        page->WebPasswordEdit->setText(password);
        page->WebConfirmEdit->setText(confirm);
    }
    void apply() { page->WebApplyButton->click(); }

    WebPage* page = nullptr;
    std::vector<QString> hashed;
};

TEST_F(ConfigFormWebTest, ApplyStoresTheSectionAndOnlyTheHashOfANewPassword) {
    startWith("Enabled=0\nAddress=127.0.0.1\nPort=8990\nPasswordHash=old\n");
    EXPECT_EQ(page->objectName(), QStringLiteral("WebPage"));
    EXPECT_EQ(page->WebPasswordState->text(), QStringLiteral("已设置密码"));
    page->WebEnabledCheckBox->click();
    page->WebAddressEdit->setText(QStringLiteral(" ::1 "));
    page->WebPortSpinBox->setValue(8080);
    EXPECT_EQ(page->WebUrlLabel->text(), QStringLiteral("面板地址：http://[::1]:8080/"));
    type(QStringLiteral("秘密 1"), QStringLiteral("秘密 1"));
    apply();

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(hashed, std::vector<QString>{QStringLiteral("秘密 1")});
    EXPECT_EQ(stored("Enabled"), "1");
    EXPECT_EQ(stored("Address"), "::1");
    EXPECT_EQ(stored("Port"), "8080");
    EXPECT_EQ(stored("PasswordHash"), "hash1");
    EXPECT_EQ(mainText().find("秘密"), std::string::npos);
    EXPECT_EQ(session->settings().Web.PasswordHash, "hash1") << "the rebuild reads it";

    open();
    EXPECT_TRUE(page->WebPasswordEdit->text().isEmpty()) << "a reopened page forgets the text";
    apply();
    EXPECT_EQ(stored("PasswordHash"), "hash1") << "empty fields keep the stored password";

    open();
    page->WebClearPasswordButton->click();
    EXPECT_EQ(page->WebPasswordState->text(), QStringLiteral("未设置密码"));
    apply();
    EXPECT_EQ(stored("PasswordHash"), "");
    EXPECT_EQ(hashed.size(), 1u);
}

TEST_F(ConfigFormWebTest, ApplyIsRefusedAndWritesNothingForEachFault) {
    startWith("Enabled=1\nAddress=127.0.0.1\nPort=8990\n");
    const std::string before = mainText();
    const auto refused = [&](const char* what, const QString& words) {
        apply();
        ASSERT_EQ(dialogs.messages.size(), 1u) << what;
        EXPECT_TRUE(dialogs.messages.back().contains(words)) << what;
        dialogs.messages.clear();
        EXPECT_EQ(mainText(), before) << what;
        EXPECT_TRUE(form->isVisible()) << what;
    };
    type(QStringLiteral("a"), QStringLiteral("b"));
    refused("passwords differ", QStringLiteral("不一致"));
    type({}, {});
    page->WebAddressEdit->setText(QStringLiteral("localhost"));
    refused("a host name", QStringLiteral("localhost"));
    page->WebAddressEdit->setText(QStringLiteral("0.0.0.0"));
    refused("no password off loopback", QStringLiteral("需要密码"));
    EXPECT_TRUE(hashed.empty());

    page->WebEnabledCheckBox->click();
    apply();
    EXPECT_TRUE(dialogs.messages.empty()) << "a panel that is off listens nowhere";
    EXPECT_EQ(stored("Address"), "0.0.0.0");
}

TEST_F(ConfigFormWebTest, AStoredPasswordAllowsAnyAddressUntilItIsCleared) {
    startWith("Enabled=1\nAddress=127.0.0.1\nPort=8990\nPasswordHash=old\n");
    page->WebAddressEdit->setText(QStringLiteral("0.0.0.0"));
    apply();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(stored("Address"), "0.0.0.0");
    open();
    page->WebClearPasswordButton->click();
    apply();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    dialogs.messages.clear();
    type(QStringLiteral("new"), QStringLiteral("new"));
    apply();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(stored("PasswordHash"), "hash1");
}

}  // namespace
}  // namespace mc
