// The dialog that asks for the playlist's name.
#pragma once

#include <QDialog>

class QLineEdit;
class QToolButton;

class TfrmNameInput : public QDialog {
public:
    explicit TfrmNameInput(QWidget* Parent);

    QLineEdit* edName;
    QToolButton* btnOK;
    QToolButton* btnCancel;

    // Leading blanks and control characters go as they are typed.
    void edNameChange();
    // Enter confirms a name without its outer blanks; Escape empties, then cancels.
    bool edNameKeyDown(int Key);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
};
