#pragma once

// The seam through which every modal dialog of the program is shown: message
// boxes, the file dialogs and the program's own dialogs. The program uses
// QtDialogs; tests give a scripted implementation that answers at once, so no
// test ever blocks in a modal loop.

#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace mc {

class IDialogs {
public:
    virtual ~IDialogs() = default;

    // Error box (title "Error", error symbol) with the single button "&Ignore".
    // Returns true when it was closed with that button.
    virtual bool ignoreError(QWidget* parent, const QString& text, const QString& detail) = 0;
    // A plain message with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // The application's error box for an error that ended an operation.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // A question with the buttons Yes, No and Cancel.
    enum class Answer { Yes, No, Cancel };
    virtual Answer ask(QWidget* parent, const QString& question) = 0;

    // Standard file dialogs. filter is in Qt's form ("Name (*.ms);;All (*)").
    // Return the chosen path, or nothing when cancelled.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& directory,
                                                const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& directory,
                                                const QString& filter,
                                                const QString& defaultSuffix) = 0;

    // Shows one of the program's own dialogs modally; returns its result code.
    virtual int exec(QDialog& dialog) = 0;
};

// The real dialogs. Once the program is ending (TerminationWatch::ending())
// none is shown: messages and errors go to standard error, the error box
// answers as its only button ("&Ignore"), questions, the file dialogs and
// exec() as cancelled.
class QtDialogs final : public IDialogs {
public:
    bool ignoreError(QWidget* parent, const QString& text, const QString& detail) override;
    void showMessage(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    Answer ask(QWidget* parent, const QString& question) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& directory,
                                        const QString& filter) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& directory,
                                        const QString& filter,
                                        const QString& defaultSuffix) override;
    int exec(QDialog& dialog) override;
};

}  // namespace mc
