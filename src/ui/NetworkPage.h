#pragma once

// NetworkPage, the configuration dialog's page "网络控制": the section
// "Network Control" of MatrixConfig.con as the operator edits it. The page
// holds no state beyond its controls: the dialog fills it when it opens
// (showSettings) and reads it at Apply (settings, after refusal). Nothing is
// stored by the page itself.
//
// The page carries its own "应用" and "取消" buttons at the places of the
// first page's, so Apply is at hand on either page; the dialog connects them
// to its handlers. UI thread only.

#include <QString>
#include <QWidget>
#include <optional>

#include "config/StartupSettings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace mc {

class NetworkPage : public QWidget {
    Q_OBJECT

public:
    explicit NetworkPage(QWidget* parent = nullptr);

    // Shows the settings; a port outside 1..65535 shows the nearest limit.
    void showSettings(const NetworkSettings& network);
    // What the page shows: the address and the name without surrounding
    // spaces, an empty name meaning the model name.
    NetworkSettings settings() const;
    // The message that refuses Apply, or nothing when the page may be applied.
    std::optional<QString> refusal() const;
    // The model that an empty name stands for, shown as the name's placeholder.
    void setModelName(const QString& model);

    // --- Controls (owned by the page) ------------------------------------------
    QGroupBox* NetworkGroupBox = nullptr;
    QCheckBox* NetworkEnabledCheckBox = nullptr;
    QLabel* NetworkAddressLabel = nullptr;
    QLineEdit* NetworkAddressEdit = nullptr;
    QLabel* NetworkAddressNote = nullptr;
    QLabel* NetworkPortLabel = nullptr;
    QSpinBox* NetworkPortSpinBox = nullptr;
    QLabel* NetworkFriendlyNameLabel = nullptr;
    QLineEdit* NetworkFriendlyNameEdit = nullptr;
    QPushButton* NetworkApplyButton = nullptr;
    QPushButton* NetworkCancelButton = nullptr;
};

}  // namespace mc
