// TMatrixForm: construction, the life cycle, the session's observer callbacks
// and questions, and the small menu commands. The grid is MatrixFormGrid.cpp,
// the layout MatrixFormLayout.cpp, the menus and tool bar MatrixFormMenus.cpp,
// the File menu, modes and layer buttons MatrixFormStore.cpp.

#include "ui/QXRMainControl.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "ui/Dialogs.h"
#include "ui/ElidedLabel.h"
#include "ui/JournalDialog.h"
#include "ui/MatrixFormSupport.h"
#include "ui/ModeNameUnit.h"
#include "ui/PortStatusField.h"

namespace mc {

TMatrixForm::TMatrixForm(MatrixSession& session, IDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("MatrixForm"));
    setWindowTitle(tr("汇切台"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    createMenus();
    createToolBar();
    createFrame();
    createFinder();

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    // Every field shortens its text at a word when the bar is too narrow,
    // the whole text in its tooltip.
    m_hintField = new ElidedLabel(statusBar());
    m_hintField->setObjectName(QStringLiteral("StatusHint"));
    statusBar()->addWidget(m_hintField, 1);
    m_noteField = new ElidedLabel(statusBar());
    m_noteField->setObjectName(QStringLiteral("StatusNote"));
    m_noteField->hide();
    statusBar()->addPermanentWidget(m_noteField);
    m_portField = new PortStatusField(statusBar());
    statusBar()->addPermanentWidget(m_portField);

    m_session.attach(*this);
    m_session.setPrompts(this);
    FormCreate();
}

TMatrixForm::~TMatrixForm() {
    m_session.setPrompts(nullptr);
    m_session.detach(*this);
}

void TMatrixForm::FormCreate() {
    if (m_session.hasState()) {
        rebuilt();
    } else {
        m_session.start();
    }
}

void TMatrixForm::FormClose() {
    if (m_closed) return;
    m_closed = true;
    m_session.close();
    MatrixFree();
}

void TMatrixForm::RedrawMatrixForm(bool Redraw) {
    if (!Redraw || m_closed) return;
    m_session.rebuild();
}

void TMatrixForm::MatrixFree() {
    freeGrid();
}

bool TMatrixForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        m_hintField->setWholeText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMatrixForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !m_closed) FormShow();
}

void TMatrixForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMatrixForm::ExitItemClick() {
    close();
    QCoreApplication::quit();
}

void TMatrixForm::ConfigMenuItemClick() {
    if (m_configForm != nullptr) m_dialogs.exec(*m_configForm);
}

void TMatrixForm::ResendStateItemClick() {
    m_session.resendCurrentState();
}

void TMatrixForm::JournalItemClick() {
    JournalDialog dialog(m_session, this);
    m_journalDialog = &dialog;
    m_dialogs.exec(dialog);
    m_journalDialog = nullptr;
}

void TMatrixForm::UndoItemClick() {
    m_session.undo();
    applyEditItems();
}

void TMatrixForm::RedoItemClick() {
    m_session.redo();
    applyEditItems();
}

void TMatrixForm::applyEditItems() {
    if (UndoItem == nullptr) return;
    UndoItem->setEnabled(m_session.canUndo());
    RedoItem->setEnabled(m_session.canRedo());
}

void TMatrixForm::AboutMenuItemClick() {
    if (m_aboutBox != nullptr) m_dialogs.exec(*m_aboutBox);
}

QString TMatrixForm::portStatusText() const {
    return m_portField->text();
}

QString TMatrixForm::statusNote() const {
    return m_noteField->text();
}

TMatrixForm::ServiceField& TMatrixForm::serviceField(const QString& id) {
    for (ServiceField& entry : m_serviceFields) {
        if (entry.id == id) return entry;
    }
    // A new field goes before the port's, which is taken off and put back last.
    auto* field = new ElidedLabel(statusBar());
    field->setObjectName(id + QStringLiteral("StatusField"));
    field->hide();
    statusBar()->removeWidget(m_portField);
    statusBar()->addPermanentWidget(field);
    statusBar()->addPermanentWidget(m_portField);
    m_portField->show();
    m_serviceFields.push_back({id, field, QString()});
    return m_serviceFields.back();
}

void TMatrixForm::setServiceNote(const QString& id, const QString& text) {
    serviceField(id).note = text;
    showNotes();
}

void TMatrixForm::showServiceStatus(const QString& id, const QString& text) {
    ElidedLabel* field = serviceField(id).field;
    field->setWholeText(text);
    field->setVisible(!text.isEmpty());
}

QString TMatrixForm::serviceStatusText(const QString& id) const {
    for (const ServiceField& entry : m_serviceFields) {
        if (entry.id == id) return entry.field->text();
    }
    return {};
}

void TMatrixForm::showNotes() {
    QString note = toQ(m_session.note());
    if (!m_session.staged().empty()) {
        const QString staged = tr("预选 %1 项").arg(m_session.staged().size());
        note = note.isEmpty() ? staged : staged + QStringLiteral("　") + note;
    }
    for (const ServiceField& entry : m_serviceFields) {
        if (entry.note.isEmpty()) continue;
        if (!note.isEmpty()) note += QStringLiteral("　");
        note += entry.note;
    }
    m_noteField->setWholeText(note);
    m_noteField->setVisible(!note.isEmpty());
}

// --- Session observer ------------------------------------------------------------

void TMatrixForm::sessionChanged(const SessionChange& change) {
    // An open journal follows the steps; the port's own figures are none.
    if (m_journalDialog != nullptr && !change.origin.empty()) m_journalDialog->followSession();
    if (change.rebuilt) return rebuilt();
    // A load of the window's own shows the first page again; a client's
    // leaves the page the operator is on.
    if (change.loaded && change.origin == MatrixSession::kWindowOwner) {
        firstPageShown();
    } else {
        for (const std::int32_t output : change.selection)
            outputChanged(output);
        for (const RouteChange& route : change.routes)
            applyRouteLabelOf(route.output);
        for (const auto& [layer, output] : change.confirmed)
            applyRouteLabelOf(output);
        for (const NameChange& name : change.inputNames)
            inputNameChanged(name.port, name.text);
        if (!change.inputNames.empty()) applyRouteLabels();  // they name inputs
        for (const NameChange& name : change.outputNames)
            outputNameChanged(name.port, name.text);
        for (const LockChange& lock : change.locks)
            lockChanged(lock.output);
        if (change.nameLists) applyNameFields();
    }
    if (change.layer) layerChanged(*change.layer);
    if (change.port) m_portField->setStatus(*change.port);
    if (change.presence) applyPresence();
    if (change.note) noteChanged();
    if (change.modes) modeListChanged(*change.modes);
    if (change.takeMode || change.staged) applyTakeState();
    applyEditItems();
}

void TMatrixForm::applyPresence() {
    const bool lost = m_session.portStatus().state == PortState::Lost;
    setWindowTitle(toQ(m_session.caption()) + (lost ? tr("（串口断开）") : QString()));
}

void TMatrixForm::applyTakeState() {
    if (TakeModeButton == nullptr) return;
    TakeModeButton->setChecked(m_session.takeMode());
    TakeButton->setEnabled(!m_session.staged().empty());
    ClearButton->setEnabled(!m_session.staged().empty());
    applyTakeKeys();
    if (m_session.hasState()) refreshGrid();
    showNotes();
}

void TMatrixForm::TakeModeButtonClick() {
    m_session.setTakeMode(MatrixSession::kWindowOwner, TakeModeButton->isChecked());
    applyTakeState();
}

void TMatrixForm::TakeButtonClick() {
    m_session.take();
}

void TMatrixForm::ClearButtonClick() {
    m_session.clearStaged();
}

void TMatrixForm::rebuilt() {
    freeGrid();
    if (!m_session.hasState() || m_closed) return;
    createGrid();
    layerChanged(m_session.layer());
    noteChanged();
    m_portField->setStatus(m_session.portStatus());
    applyPresence();
    applyEditItems();
    applyTakeState();
    if (m_shownOnce) FormShow();
}

void TMatrixForm::noteChanged() {
    showNotes();
}

// --- Session questions -------------------------------------------------------------

bool TMatrixForm::ignorePortError(const std::string& text, const std::string& detail) {
    return m_dialogs.ignoreError(this, QString::fromStdString(text),
                                 QString::fromStdString(detail));
}

void TMatrixForm::showError(const std::string& text) {
    m_dialogs.showError(this, QString::fromStdString(text));
}

void TMatrixForm::showMessage(const std::string& text) {
    m_dialogs.showMessage(this, QString::fromStdString(text));
}

std::optional<std::string> TMatrixForm::askModeName() {
    if (m_modeNameForm == nullptr) return std::nullopt;
    m_dialogs.exec(*m_modeNameForm);
    return m_modeNameForm->CurrentModeName();
}

}  // namespace mc
