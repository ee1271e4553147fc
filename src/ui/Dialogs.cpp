#include "ui/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "ui/TerminationWatch.h"

namespace mc {

namespace {

// While the program is ending (TerminationWatch), no box is shown: what it
// would have said goes to standard error.
void toStandardError(const QString& text, const QString& detail = {}) {
    QString line = QApplication::applicationName() + QStringLiteral(": ") + text;
    if (!detail.isEmpty()) line += QStringLiteral(" (") + detail + QStringLiteral(")");
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

bool QtDialogs::ignoreError(QWidget* parent, const QString& text, const QString& detail) {
    if (TerminationWatch::ending()) {
        toStandardError(text, detail);
        return true;  // as its only button
    }
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("QtDialogs", "Error"), text,
                    QMessageBox::NoButton, parent);
    QPushButton* ignore =
        box.addButton(QCoreApplication::translate("QtDialogs", "&Ignore"), QMessageBox::AcceptRole);
    box.setDefaultButton(ignore);
    box.setEscapeButton(ignore);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.exec();
    return box.clickedButton() == ignore;
}

void QtDialogs::showMessage(QWidget* parent, const QString& text) {
    if (TerminationWatch::ending()) return toStandardError(text);
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void QtDialogs::showError(QWidget* parent, const QString& text) {
    if (TerminationWatch::ending()) return toStandardError(text);
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

IDialogs::Answer QtDialogs::ask(QWidget* parent, const QString& question) {
    if (TerminationWatch::ending()) return Answer::Cancel;
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<QString> QtDialogs::openFileName(QWidget* parent, const QString& directory,
                                               const QString& filter) {
    if (TerminationWatch::ending()) return std::nullopt;
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a missing file is accepted; reading it then finds nothing.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::saveFileName(QWidget* parent, const QString& directory,
                                               const QString& filter,
                                               const QString& defaultSuffix) {
    if (TerminationWatch::ending()) return std::nullopt;
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // An existing file is updated without asking.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

int QtDialogs::exec(QDialog& dialog) {
    if (TerminationWatch::ending()) return QDialog::Rejected;
    return dialog.exec();
}

}  // namespace mc
