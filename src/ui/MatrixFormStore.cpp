// TMatrixForm: the switching-layer radio buttons, the File menu (matrix
// status files) and the matrix modes (combo box and menu). The session does
// the work; these handlers ask for file names through the dialog seam and
// hand the answer to the session.

#include <QComboBox>
#include <QRadioButton>
#include <QSignalBlocker>

#include "control/SwitchingLayer.h"
#include "ui/Dialogs.h"
#include "ui/MatrixFormSupport.h"
#include "ui/QXRMainControl.h"

namespace mc {

namespace {

// The file dialogs' filters, translated where they are used.
const char* const kStatusFilter = QT_TRANSLATE_NOOP("mc::TMatrixForm", "矩阵状态文件 (*.ms)");
const char* const kAllFilesFilter = QT_TRANSLATE_NOOP("mc::TMatrixForm", "所有文件 (*)");

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
    if (button->isChecked()) m_session.chooseLayer(layer);
}

void TMatrixForm::layerChanged(const LayerView& view) {
    QRadioButton* buttons[] = {VideoRadioButton, AudioRadioButton, VideoAndAudioRadioButton};
    const QSignalBlocker video(VideoRadioButton);
    const QSignalBlocker audio(AudioRadioButton);
    const QSignalBlocker both(VideoAndAudioRadioButton);
    for (QRadioButton* button : buttons)
        button->setEnabled(view.enabled);
    if (view.checked >= kLayerVideo && view.checked <= kLayerVideoAndAudio)
        buttons[view.checked - 1]->setChecked(true);
    if (m_page) applyRouteLabels();  // they show the table of the layer chosen
}

// --- Matrix status files -------------------------------------------------------

void TMatrixForm::SaveMatrixStatusItemClick() {
    if (!m_session.hasState()) return;
    const AppPaths& paths = m_session.paths();
    paths.ensureStatusDir();
    const auto file = m_dialogs.saveFileName(this, pathToQ(paths.statusDir()), tr(kStatusFilter),
                                             QStringLiteral("ms"));
    paths.restoreCurrentDirectory();
    if (file) m_session.saveStatusFile(pathFromQ(*file));
}

void TMatrixForm::ReadItemClick() {
    if (!m_session.hasState()) return;
    const AppPaths& paths = m_session.paths();
    const auto file =
        m_dialogs.openFileName(this, pathToQ(paths.statusDir()),
                               tr(kStatusFilter) + QStringLiteral(";;") + tr(kAllFilesFilter));
    paths.restoreCurrentDirectory();
    if (file) m_session.loadStatusFile(pathFromQ(*file));
}

// --- Matrix modes ------------------------------------------------------------------

void TMatrixForm::reloadModeList() {
    modeListChanged(m_session.modeList());
}

void TMatrixForm::modeListChanged(const std::vector<std::string>& modes) {
    const QSignalBlocker blocker(MatrixModeComboBox);
    MatrixModeComboBox->clear();
    for (const std::string& mode : modes)
        MatrixModeComboBox->addItem(toQ(mode));
    MatrixModeComboBox->setCurrentIndex(-1);
}

void TMatrixForm::MatrixModeComboBoxChange(int index) {
    if (index < 0) return;
    m_session.applyMode(fromQ(MatrixModeComboBox->itemText(index)));
}

void TMatrixForm::NewMatrixModeNClick() {
    MatrixModeComboBox->setCurrentIndex(-1);
    m_session.newMode();
}

void TMatrixForm::SaveMatrixModeNClick() {
    m_session.saveMode();
}

void TMatrixForm::DeleteMatrixModeNClick() {
    const int index = MatrixModeComboBox->currentIndex();
    if (index >= 0) {
        m_session.deleteMode(fromQ(MatrixModeComboBox->itemText(index)));
    } else {
        reloadModeList();
    }
}

}  // namespace mc
