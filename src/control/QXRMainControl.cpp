// TMatrixForm: construction, creation from the configuration files, close,
// rebuild and the small menu commands. The grid is MatrixFormGrid.cpp, the
// layout MatrixFormLayout.cpp, the menus and tool bar MatrixFormMenus.cpp,
// the File menu, modes and layer buttons MatrixFormStore.cpp.

#include "control/QXRMainControl.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QShowEvent>
#include <QStatusBar>
#include <utility>

#include "control/Dialogs.h"
#include "control/MatrixFormSupport.h"
#include "control/PortOpenDetail.h"
#include "control/PortStatusField.h"
#include "control/QtUiPoster.h"
#include "control/StartupFiles.h"
#include "serial/CommsError.h"

namespace mc {

namespace {

IUiPoster& chosenPoster(IUiPoster* given, std::unique_ptr<QtUiPoster>& own) {
    if (given != nullptr) return *given;
    own = std::make_unique<QtUiPoster>();
    return *own;
}

QString clampNote(const CrosspointState& state) {
    return QStringLiteral("注意：矩阵型号的端口数超出 1～256 的范围，现按 %1 路输入、%2 路输出使用")
        .arg(state.MatrixInputNum())
        .arg(state.MatrixOutputNum());
}

}  // namespace

TMatrixForm::TMatrixForm(AppPaths paths, IDialogs& dialogs, MatrixFormOptions options,
                         QWidget* parent)
    : QMainWindow(parent),
      m_poster(chosenPoster(options.poster, m_ownPoster)),
      Comm1(m_poster),
      m_paths(std::move(paths)),
      m_dialogs(dialogs),
      m_options(options) {
    setObjectName(QStringLiteral("MatrixForm"));
    setWindowTitle(QStringLiteral("汇切台"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    createMenus();
    createToolBar();
    createFrame();

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    m_noteField = new QLabel(statusBar());
    m_noteField->setObjectName(QStringLiteral("StatusNote"));
    m_noteField->hide();
    statusBar()->addPermanentWidget(m_noteField);
    m_portField = new PortStatusField(m_poster, statusBar());
    statusBar()->addPermanentWidget(m_portField);

    Comm1.OnReceiveData = [this](TComm& sender, const std::uint8_t* buffer, std::uint16_t length) {
        Comm1ReceiveData(sender, buffer, length);
    };
    Comm1.OnRequestHangup = [this](TComm&) { m_portField->setPortState(PortState::Lost); };

    FormCreate();
}

TMatrixForm::~TMatrixForm() {
    stopSender();
    Comm1.ClosePort();
}

void TMatrixForm::FormCreate() {
    const StartupSettings settings = readStartupSettings(m_paths);
    Comm1.setCommName(settings.PortNum);
    Comm1.setBaudRate(static_cast<std::uint32_t>(settings.PortBandRate));
    Comm1.setPortMap(settings.SerialPortMap);
    setWindowTitle(toQ(settings.windowCaption()));

    openPort();

    CommandQueue = std::make_unique<mc::CommandQueue>();
    m_portField->resetQueue();
    CommandQueue->setCountListener(m_portField->countListener());
    startSender();

    m_state = std::make_unique<CrosspointState>(*CommandQueue, settings);
    setNote(settings.countsClamped ? clampNote(*m_state) : QString());
    loadPortNames(m_paths, *m_state);
    createGrid();
    m_state->queueStartupFrames();
    preselectLayer(settings.VideoOrAudio);

    m_paths.restoreCurrentDirectory();
    m_state->CurrentModeName.clear();
}

void TMatrixForm::openPort() {
    try {
        Comm1.OpenPort();
        m_portField->setPort(Comm1.devicePath(), Comm1.BaudRate(), PortState::Open);
    } catch (const ECommsError& error) {
        m_portField->setPort(Comm1.devicePath(), Comm1.BaudRate(), PortState::NotOpen);
        const QString detail = toQ(portOpenDetail(error.errorCode(), error.devicePath()));
        if (m_dialogs.ignoreError(this, QString::fromUtf8(error.what()), detail)) {
            Comm1.ClosePort();
        }
        m_portField->setPortState(Comm1.isOpen() ? PortState::Open : PortState::NotOpen);
    }
}

void TMatrixForm::startSender() {
    IBytePort& port = m_options.senderPort != nullptr ? *m_options.senderPort : Comm1;
    ISenderClock& clock =
        m_options.senderClock != nullptr ? *m_options.senderClock : steadySenderClock();
    SenderThread = std::make_unique<TMatrixCommDataThread>(*CommandQueue, port, clock);
    SenderThread->setHandOverListener(m_portField->handOverListener());
    if (m_options.startSender) SenderThread->start();
}

void TMatrixForm::stopSender() {
    if (SenderThread) SenderThread->stop();
    SenderThread.reset();
    m_state.reset();
    CommandQueue.reset();
}

void TMatrixForm::FormClose() {
    if (m_closed) return;
    m_closed = true;
    if (m_state) guarded([this] { savePortNames(m_paths, *m_state); });
    stopSender();
    MatrixFree();
    m_paths.restoreCurrentDirectory();
}

void TMatrixForm::RedrawMatrixForm(bool Redraw) {
    if (!Redraw || m_closed) return;
    MatrixFree();
    stopSender();
    FormCreate();
    FormShow();
}

void TMatrixForm::MatrixFree() {
    Comm1.ClosePort();
    m_portField->setPortState(PortState::NotOpen);
    freeGrid();
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
    if (m_configForm != nullptr) guarded([this] { m_dialogs.exec(*m_configForm); });
}

void TMatrixForm::AboutMenuItemClick() {
    if (m_aboutBox != nullptr) m_dialogs.exec(*m_aboutBox);
}

void TMatrixForm::Comm1ReceiveData(TComm&, const std::uint8_t*, std::uint16_t) {}

QString TMatrixForm::portStatusText() const {
    return m_portField->text();
}

QString TMatrixForm::statusNote() const {
    return m_noteField->text();
}

void TMatrixForm::setNote(const QString& note) {
    m_noteField->setText(note);
    m_noteField->setToolTip(note);
    m_noteField->setVisible(!note.isEmpty());
}

}  // namespace mc
