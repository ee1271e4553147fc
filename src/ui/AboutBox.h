#pragma once

// TAboutBox, the about box: a fixed dialog with the program's logo, name,
// version, maker and a comment line, which names the program folder once
// main() has told it. Created once by main() and shown modally by the control
// window's Help menu.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace mc {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Hides the box with the result Accepted.
    void OKButtonClick();
    // Shows the program folder in the comment line, shortened in the middle
    // to the line's width, in full as the hint.
    void setProgramFolder(const QString& folder);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};

}  // namespace mc
