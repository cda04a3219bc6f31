#include "uNameInput.h"

#include "uPictures.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

namespace {

bool IsBlankOrControl(QChar Char) { return Char == ' ' || Char.category() == QChar::Other_Control; }

QString TrimLeading(const QString& Text)
{
    qsizetype First = 0;
    while (First < Text.size() && IsBlankOrControl(Text[First]))
        ++First;
    return Text.mid(First);
}

QString TrimBoth(const QString& Text)
{
    QString Result = TrimLeading(Text);
    while (!Result.isEmpty() && IsBlankOrControl(Result.back()))
        Result.chop(1);
    return Result;
}

// A round button face: a tick or a cross.
QIcon Face(bool Tick)
{
    QPixmap Picture(24, 24);
    Picture.fill(Qt::transparent);
    QPainter Painter(&Picture);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setBrush(Tick ? QColor(29, 95, 168) : QColor(168, 40, 52));
    Painter.setPen(Qt::NoPen);
    Painter.drawEllipse(1, 1, 22, 22);
    Painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    if (Tick) {
        Painter.drawPolyline(QPolygonF({{7, 12.5}, {10.5, 16}, {17, 8.5}}));
    } else {
        Painter.drawLine(8, 8, 16, 16);
        Painter.drawLine(16, 8, 8, 16);
    }
    QIcon Icon(Picture);
    QPixmap Disabled(24, 24);
    Disabled.fill(Qt::transparent);
    QPainter Grey(&Disabled);
    Grey.setOpacity(0.35);
    Grey.drawPixmap(0, 0, Picture);
    Icon.addPixmap(Disabled, QIcon::Disabled);
    return Icon;
}

QToolButton* RoundButton(QWidget* Parent, const QRect& Place, bool Tick, const QString& Hint)
{
    auto* Button = new QToolButton(Parent);
    Button->setGeometry(Place);
    Button->setIcon(Face(Tick));
    Button->setIconSize({24, 24});
    Button->setCursor(Qt::PointingHandCursor);
    Button->setToolTip(Hint);
    Button->setAutoRaise(true);
    return Button;
}

} // namespace

TfrmNameInput::TfrmNameInput(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("frmNameInput");
    setWindowTitle("Podaj nazwę...");
    setFixedSize(204, 106);
    edName = new QLineEdit(this);
    edName->setObjectName("edName");
    edName->setGeometry(8, 32, 187, 29);
    QFont Font("Tahoma");
    Font.setPixelSize(15);
    edName->setFont(Font);
    edName->setToolTip("Wprowadź nazwę. Niedozwolone jest użycie znaku \"$\"");
    edName->installEventFilter(this);
    btnOK = RoundButton(this, {141, 74, 24, 24}, true, "Zatwierdza nazwę i zamyka okno");
    btnCancel = RoundButton(this, {171, 74, 24, 24}, false, "Zamyka okno i anuluje wprowadzanie nazwy");
    connect(edName, &QLineEdit::textChanged, this, &TfrmNameInput::edNameChange);
    connect(btnOK, &QToolButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QToolButton::clicked, this, &QDialog::reject);
    edName->setFocus();
    edNameChange();
}

void TfrmNameInput::edNameChange()
{
    const QString Trimmed = TrimLeading(edName->text());
    if (Trimmed != edName->text()) {
        const QSignalBlocker Quiet(edName);
        edName->setText(Trimmed);
    }
    edName->deselect();
    edName->setCursorPosition(static_cast<int>(edName->text().size()));
    btnOK->setEnabled(!edName->text().isEmpty());
}

bool TfrmNameInput::edNameKeyDown(int Key)
{
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        edName->setText(TrimBoth(edName->text()));
        if (!edName->text().isEmpty())
            accept();
        return true;
    }
    if (Key == Qt::Key_Escape) {
        if (!edName->text().isEmpty())
            edName->clear();
        else
            reject();
        return true;
    }
    return false;
}

bool TfrmNameInput::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == edName && Event->type() == QEvent::KeyPress)
        return edNameKeyDown(static_cast<QKeyEvent*>(Event)->key());
    return QDialog::eventFilter(Watched, Event);
}

// The background and the title "Playlista:" in a red-to-white gradient.
void TfrmNameInput::paintEvent(QPaintEvent*)
{
    QPainter Painter(this);
    Painter.fillRect(rect(), Gradient({0, 0}, {0, double(height())}, QColor(219, 232, 247), QColor(176, 202, 235)));
    QFont Font("Tahoma");
    Font.setPixelSize(19);
    Font.setBold(true);
    Painter.setFont(Font);
    Painter.setPen(QPen(QBrush(Gradient({8, 0}, {8 + 203, 0}, Qt::red, Qt::white)), 1));
    Painter.drawText(QRect(8, 0, 203, 37), Qt::AlignLeft | Qt::AlignVCenter, "Playlista:");
}
