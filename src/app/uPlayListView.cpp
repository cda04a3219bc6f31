#include "uPlayListView.h"

#include "uMain.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor CurrentText(255, 255, 0);
const QColor OtherText(255, 255, 153);
const QColor SelectedBack(204, 0, 51);
constexpr int RowHeight = 23;

QFont RowFont()
{
    QFont Font("Lucida Console");
    Font.setStyleHint(QFont::Monospace);
    Font.setPixelSize(13);
    return Font;
}

} // namespace

TPlayListView::TPlayListView(TfrmMain* MainWindow, QWidget* Parent) : QListWidget(Parent)
{
    setItemDelegate(new TPlayListDelegate(MainWindow, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setFont(RowFont());
}

QSize TPlayListDelegate::sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const
{
    return {QStyledItemDelegate::sizeHint(Option, Index).width(), RowHeight};
}

void TPlayListDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const
{
    const TItem* Item = FMain->Items(Index.row());
    if (Item == nullptr)
        return;
    const QRect R = Option.rect;
    const bool Current = Index.row() == FMain->CurrentIndex();
    Painter->save();
    Painter->fillRect(R, (Option.state & QStyle::State_Selected) ? SelectedBack : Qt::black);
    QFont Font = RowFont();
    Font.setBold(Current);
    Font.setItalic(Item->Played);
    Painter->setFont(Font);
    Painter->setPen(Current ? CurrentText : OtherText);
    const QFontMetrics Metrics(Font);
    const int Baseline = R.top() + 4 + Metrics.ascent();
    const QString Duration = " " + Item->DurationText();
    const QString Name = Index.data().toString();
    const int WD = Metrics.horizontalAdvance(Duration);
    Painter->drawText(R.right() + 1 - WD, Baseline, Duration);
    if (Metrics.horizontalAdvance(Name) <= R.width() - WD) {
        Painter->drawText(R.left(), Baseline, Name);
    } else {
        const int WE = Metrics.horizontalAdvance("...");
        Painter->drawText(R.right() + 1 - WD - WE, Baseline, "...");
        Painter->setClipRect(QRect(R.left(), R.top(), R.width() - WD - WE, R.height()));
        Painter->drawText(R.left(), Baseline, Name); // cut off mid-character at the "..."
    }
    Painter->restore();
}

void TPositionBar::mousePressEvent(QMouseEvent* Event)
{
    if (OnClick)
        OnClick(static_cast<int>(Event->position().x()));
    Event->accept();
}
