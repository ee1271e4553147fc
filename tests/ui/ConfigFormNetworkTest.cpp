// The configuration dialog's page "网络控制": what it shows when the dialog
// opens, what Apply stores from it, and the refusal of an address that is not
// one; a key that no page shows is written back as it was.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "config/IniFile.h"
#include "ui/ConfigFormTestUtil.h"
#include "ui/SpinField.h"

namespace mc {
namespace {

using test::child;
using test::ConfigFormTest;

std::string readNetwork(const AppPaths& paths, const char* key) {
    return iniReadString(paths.mainConfigFile(), "Network Control", key, "<missing>");
}

struct Page {
    QCheckBox* enabled;
    QLineEdit* address;
    QSpinBox* port;
    QLineEdit* name;
};

// The page's controls found by their object names.
Page page(const QObject& form) {
    return {child<QCheckBox>(form, QStringLiteral("NetworkEnabledCheckBox")),
            child<QLineEdit>(form, QStringLiteral("NetworkAddressEdit")),
            child<QSpinBox>(form, QStringLiteral("NetworkPortSpinBox")),
            child<QLineEdit>(form, QStringLiteral("NetworkFriendlyNameEdit"))};
}

TEST_F(ConfigFormTest, NetworkPageShowsTheStoredSectionAndTheModelAsPlaceholder) {
    writeMain(
        "[Matrix Manage Message]\nMatrixNowUse=Hall\n[Network Control]\nEnabled=1\n"
        "Address=0.0.0.0\nPort=70000\nFriendlyName=大厅 A\n");
    start();
    open();
    EXPECT_EQ(form->PageControl1->tabText(form->PageControl1->indexOf(
                  child<QWidget>(*form, QStringLiteral("NetworkTabSheet")))),
              QStringLiteral("网络控制"));
    const Page p = page(*form);
    ASSERT_TRUE(p.enabled && p.address && p.port && p.name);
    EXPECT_TRUE(p.enabled->isChecked());
    EXPECT_EQ(p.address->text(), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(p.port->value(), 65535) << "a port beyond the range shows its limit";
    EXPECT_EQ(p.name->text(), QStringLiteral("大厅 A"));
    EXPECT_EQ(p.name->placeholderText(), QStringLiteral("Hall"));
    QTest::keyClicks(form->MatrixModelComboBox->lineEdit(), QStringLiteral("2"));
    EXPECT_EQ(p.name->placeholderText(), QStringLiteral("Hall2")) << "follows the model shown";
}

TEST_F(ConfigFormTest, ApplyFromTheNetworkPageStoresItsFourKeys) {
    writeMain("[Network Control]\nEnabled=0\nAddress=127.0.0.1\nPort=9990\nFriendlyName=Old\n");
    start();
    open();
    const Page p = page(*form);
    ASSERT_TRUE(p.enabled && p.address && p.port && p.name);
    p.enabled->click();
    p.address->setText(QStringLiteral(" ::1 "));
    p.port->setValue(12345);
    p.name->clear();
    child<QPushButton>(*form, QStringLiteral("NetworkApplyButton"))->click();

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(readNetwork(paths, "Enabled"), "1");
    EXPECT_EQ(readNetwork(paths, "Address"), "::1");
    EXPECT_EQ(readNetwork(paths, "Port"), "12345");
    EXPECT_EQ(readNetwork(paths, "FriendlyName"), "");
    EXPECT_EQ(readServiceSettings(paths, remote::routerSettingsPage()).at("Port"), "12345");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(ConfigFormTest, AKeyWithoutAControlIsAppliedAsWritten) {
    start();
    for (const auto& [written, expected] : {std::pair{"Announce=0\n", "0"}, std::pair{"", "1"}}) {
        writeMain(std::string("[SW-P-08 Control]\nEnabled=1\n") + written);
        open();
        child<QPushButton>(*form, QStringLiteral("Swp08ApplyButton"))->click();
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(iniReadString(paths.mainConfigFile(), "SW-P-08 Control", "Announce", "-"),
                  expected);
        EXPECT_EQ(iniReadString(paths.mainConfigFile(), "SW-P-08 Control", "Port", "-"), "8910");
    }
}

TEST_F(ConfigFormTest, ApplyWithAnAddressThatIsNoneIsRefusedAndChangesNothing) {
    writeMain("[Serial Commucation Set]\nPortNum=COM1\nComPortNum=1\n");
    start();
    const std::string before = mainText();
    open();
    form->ComSelSpinEdit->setValue(2);
    const Page p = page(*form);
    ASSERT_TRUE(p.address);
    for (const QString& address : {QStringLiteral("localhost"), QStringLiteral("300.1.1.1"),
                                   QStringLiteral("1.2.3"), QString()}) {
        p.address->setText(address);
        form->UpDataButton->click();
        ASSERT_EQ(dialogs.messages.size(), 1u) << address.toStdString();
        EXPECT_TRUE(dialogs.messages.back().startsWith(QStringLiteral("网络控制的监听地址")));
        EXPECT_TRUE(dialogs.messages.back().contains(address));
        dialogs.messages.clear();
        EXPECT_EQ(mainText(), before) << address.toStdString();
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_EQ(session->port().CommName(), "COM1");
    EXPECT_TRUE(session->port().isOpen()) << "the port was not closed";
}

}  // namespace
}  // namespace mc
