// TMatrixForm: the switching-layer radio buttons, the File menu (matrix
// status files) and the matrix modes (combo box and menu). The file formats
// and the rules live in the store (store/); these handlers ask for file
// names through the dialog seam, call the store and mirror the state.

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "control/MatrixFormSupport.h"
#include "control/QXRMainControl.h"
#include "store/ModeNameUnit.h"
#include "store/ModeStore.h"
#include "store/StatusFile.h"
#include "store/SwitchingLayer.h"

namespace mc {

namespace {

const QString kStatusFilter = QStringLiteral("矩阵状态文件 (*.ms)");
const QString kAllFilesFilter = QStringLiteral("所有文件 (*)");
const QString kMismatch = QStringLiteral("调用的文件与但前矩阵不匹配");

QString skippedNote(int skipped) {
    if (skipped <= 0) return {};
    return QStringLiteral("已跳过 %1 个超出当前矩阵或无法识别的切换节点").arg(skipped);
}

}  // namespace

// --- Switching layer ---------------------------------------------------------

void TMatrixForm::VideoRadioButtonClick() {
    layerClicked(VideoRadioButton, kLayerVideo);
}

void TMatrixForm::AudioRadioButtonClick() {
    layerClicked(AudioRadioButton, kLayerAudio);
}

void TMatrixForm::VideoAndAudioRadioButtonClick() {
    layerClicked(VideoAndAudioRadioButton, kLayerVideoAndAudio);
}

void TMatrixForm::layerClicked(QRadioButton* button, std::int32_t layer) {
    if (!button->isChecked() || !m_state || !CommandQueue) return;
    guarded([&] { switchingLayerClick(layer, m_paths, *m_state, *CommandQueue); });
}

void TMatrixForm::preselectLayer(std::int32_t videoOrAudio) {
    QRadioButton* buttons[] = {VideoRadioButton, AudioRadioButton, VideoAndAudioRadioButton};
    std::int32_t checkedNow = kLayerNone;
    for (std::int32_t layer = kLayerVideo; layer <= kLayerVideoAndAudio; ++layer) {
        if (buttons[layer - 1]->isChecked()) checkedNow = layer;
    }
    const LayerStartup startup =
        startupLayerSelection(m_state->MatrixPattern, videoOrAudio, checkedNow);
    for (QRadioButton* button : buttons)
        button->setEnabled(startup.enabled);
    if (startup.check >= kLayerVideo && startup.check <= kLayerVideoAndAudio) {
        const QSignalBlocker video(VideoRadioButton);
        const QSignalBlocker audio(AudioRadioButton);
        const QSignalBlocker both(VideoAndAudioRadioButton);
        buttons[startup.check - 1]->setChecked(true);
    }
    if (startup.runClick) {
        guarded([&] { switchingLayerClick(startup.check, m_paths, *m_state, *CommandQueue); });
    }
}

// --- Matrix status files -------------------------------------------------------

void TMatrixForm::SaveMatrixStatusItemClick() {
    if (!m_state) return;
    m_paths.ensureStatusDir();
    const auto file = m_dialogs.saveFileName(this, pathToQ(m_paths.statusDir()), kStatusFilter,
                                             QStringLiteral("ms"));
    m_paths.restoreCurrentDirectory();
    if (!file) return;
    guarded([&] { saveStatusFile(pathFromQ(*file), *m_state); });
    m_paths.restoreCurrentDirectory();
}

void TMatrixForm::ReadItemClick() {
    if (!m_state) return;
    const auto file = m_dialogs.openFileName(
        this, pathToQ(m_paths.statusDir()), kStatusFilter + QStringLiteral(";;") + kAllFilesFilter);
    m_paths.restoreCurrentDirectory();
    if (!file) return;
    guarded([&] {
        const StatusLoadResult result = loadStatusFile(pathFromQ(*file), *m_state);
        m_paths.restoreCurrentDirectory();
        if (!result.error.empty()) {
            m_dialogs.showMessage(this, toQ(result.error));
            return;
        }
        if (!result.matched) {
            m_dialogs.showMessage(this, kMismatch);
            return;
        }
        // The names go into the fields with their change handling attached:
        // a field whose text changes marks its list as in use.
        for (std::size_t c = 0; c < InputNameEdits.size() && c < result.inputNames.size(); ++c) {
            const QString name = toQ(result.inputNames[c]);
            InputNameEdits[c]->setText(name);
            InputNameEdits[c]->setToolTip(name);
        }
        for (std::size_t r = 0; r < OutputNameEdits.size() && r < result.outputNames.size(); ++r) {
            const QString name = toQ(result.outputNames[r]);
            OutputNameEdits[r]->setText(name);
            OutputNameEdits[r]->setToolTip(name);
        }
        refreshGrid();
        setNote(skippedNote(result.nodes.skipped));
    });
}

// --- Matrix modes ------------------------------------------------------------------

void TMatrixForm::reloadModeList() {
    {
        const QSignalBlocker blocker(MatrixModeComboBox);
        MatrixModeComboBox->clear();
    }
    guarded([this] {
        const std::vector<std::string> modes = ModeStore(m_paths.modeFile()).listModes();
        const QSignalBlocker blocker(MatrixModeComboBox);
        for (const std::string& mode : modes)
            MatrixModeComboBox->addItem(toQ(mode));
        MatrixModeComboBox->setCurrentIndex(-1);
    });
}

void TMatrixForm::MatrixModeComboBoxChange(int index) {
    if (!m_state || index < 0) return;
    m_state->CurrentModeName = modeElementName(fromQ(MatrixModeComboBox->itemText(index)));
    guarded([this] {
        const auto result =
            ModeStore(m_paths.modeFile()).applyMode(m_state->CurrentModeName, *m_state);
        if (!result) return;
        // Name fields show the names of the lists in use, empty otherwise,
        // with their change handling attached.
        const CrosspointState& state = *m_state;
        for (std::size_t c = 0; c < InputNameEdits.size(); ++c) {
            InputNameEdits[c]->setText(state.MatrixInputEditEnable ? toQ(state.InputNames()[c])
                                                                   : QString());
        }
        for (std::size_t r = 0; r < OutputNameEdits.size(); ++r) {
            OutputNameEdits[r]->setText(state.MatrixOutputEditEnable ? toQ(state.OutputNames()[r])
                                                                     : QString());
        }
        refreshGrid();
        setNote(skippedNote(result->skipped));
    });
}

void TMatrixForm::NewMatrixModeNClick() {
    if (!m_state) return;
    m_state->clearSelection();
    m_state->CurrentModeName.clear();
    MatrixModeComboBox->setCurrentIndex(-1);
    refreshGrid();
}

void TMatrixForm::SaveMatrixModeNClick() {
    if (!m_state) return;
    const ModeStore store(m_paths.modeFile());
    bool readable = false;
    guarded([&] {
        // A file that cannot be read stops the save before a name is asked.
        store.listModes();
        readable = true;
    });
    if (!readable) return;
    if (m_state->CurrentModeName.empty() && m_modeNameForm != nullptr) {
        m_dialogs.exec(*m_modeNameForm);
        m_state->CurrentModeName = m_modeNameForm->CurrentModeName();
    }
    if (!m_state->CurrentModeName.empty()) {
        guarded([&] { store.saveMode(m_state->CurrentModeName, *m_state); });
    }
    reloadModeList();
}

void TMatrixForm::DeleteMatrixModeNClick() {
    if (!m_state) return;
    const int index = MatrixModeComboBox->currentIndex();
    if (index >= 0) {
        const std::string element = modeElementName(fromQ(MatrixModeComboBox->itemText(index)));
        bool deleted = false;
        guarded([&] {
            ModeStore(m_paths.modeFile()).deleteMode(element);
            deleted = true;
        });
        if (deleted) {
            MatrixModeComboBox->removeItem(index);
            MatrixModeComboBox->setCurrentIndex(-1);
            NewMatrixModeNClick();
        }
    }
    reloadModeList();
}

}  // namespace mc
