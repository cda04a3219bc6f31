// The About window: product, version, rights and contact; a click on the
// address opens a mail message.
#pragma once

#include <QDialog>
#include <QLabel>

#include <functional>

// A label that reports clicks and the mouse entering and leaving it.
class TClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick, OnMouseEnter, OnMouseLeave;

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
};

class TfrmAbout : public QDialog {
public:
    explicit TfrmAbout(QWidget* Parent);

    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblRights;
    TClickLabel* lblEmail;
    TClickLabel* lblClose;

protected:
    void paintEvent(QPaintEvent* Event) override;
};
