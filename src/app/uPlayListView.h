// The owner-drawn playlist and the clickable position bar of the main window.
#pragma once

#include <QListWidget>
#include <QProgressBar>
#include <QStyledItemDelegate>

#include <functional>

class TfrmMain;

// Rows: black background, crimson when selected; the current row yellow and
// bold, played rows italic; durations right-aligned, long names cut with "...".
class TPlayListDelegate : public QStyledItemDelegate {
public:
    TPlayListDelegate(TfrmMain* MainWindow, QObject* Parent) : QStyledItemDelegate(Parent), FMain(MainWindow) {}
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;

private:
    TfrmMain* FMain;
};

class TPlayListView : public QListWidget {
public:
    TPlayListView(TfrmMain* MainWindow, QWidget* Parent);
};

class TPositionBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;
    std::function<void(int X)> OnClick;

protected:
    void mousePressEvent(QMouseEvent* Event) override;
};
