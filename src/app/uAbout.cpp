#include "uAbout.h"

#include "TeskUtils.h"
#include "uPictures.h"
#include "uVersion.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor SkyBlue(166, 202, 240);
const QColor MoneyGreen(192, 220, 192);

template <class TLabel>
TLabel* PlacedLabel(QWidget* Parent, const QRect& Place, int PixelSize, const QColor& Colour, const QString& Text)
{
    auto* Label = new TLabel(Text, Parent);
    Label->setGeometry(Place);
    QFont Font("Tahoma");
    Font.setPixelSize(PixelSize);
    Label->setFont(Font);
    Label->setAlignment(Qt::AlignCenter);
    Label->setStyleSheet(QString("color: %1; background: transparent;").arg(Colour.name()));
    return Label;
}

} // namespace

void TClickLabel::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton && OnClick)
        OnClick();
}

void TClickLabel::enterEvent(QEnterEvent*)
{
    if (OnMouseEnter)
        OnMouseEnter();
}

void TClickLabel::leaveEvent(QEvent*)
{
    if (OnMouseLeave)
        OnMouseLeave();
}

TfrmAbout::TfrmAbout(QWidget* Parent) : QDialog(Parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("frmAbout");
    setFixedSize(444, 170);
    lblTitle = PlacedLabel<QLabel>(this, {252, 8, 192, 57}, 15, SkyBlue, ProductName);
    lblVersion = PlacedLabel<QLabel>(this, {252, 51, 192, 30}, 13, SkyBlue, ProductVersion);
    lblRights = PlacedLabel<QLabel>(this, {252, 80, 192, 21}, 13, SkyBlue, QString::fromUtf8(RightsNotice));
    lblEmail = PlacedLabel<TClickLabel>(this, {252, 107, 192, 21}, 13, SkyBlue, ContactAddress);
    QFont Email = lblEmail->font();
    Email.setBold(true);
    Email.setUnderline(true);
    lblEmail->setFont(Email);
    lblEmail->setCursor(Qt::PointingHandCursor);
    lblEmail->OnClick = [] { MailTo(QString(ProductName) + " " + ProductVersion, ContactAddress); };
    lblClose = PlacedLabel<TClickLabel>(this, {388, 141, 56, 21}, 13, MoneyGreen, "Zamknij");
    lblClose->setCursor(Qt::PointingHandCursor);
    lblClose->OnClick = [this] { close(); };
    const auto SetBold = [this](bool Bold) {
        QFont Font = lblClose->font();
        Font.setBold(Bold);
        lblClose->setFont(Font);
    };
    lblClose->OnMouseEnter = [SetBold] { SetBold(true); };
    lblClose->OnMouseLeave = [SetBold] { SetBold(false); };
}

// The background: a deep blue gradient, and the logo on the left.
void TfrmAbout::paintEvent(QPaintEvent*)
{
    QPainter Painter(this);
    Painter.fillRect(rect(), Gradient({0, 0}, {0, double(height())}, QColor(20, 52, 104), QColor(6, 20, 46)));
    Painter.fillRect(QRect(0, 0, 246, 170), Gradient({0, 0}, {246, 0}, QColor(34, 86, 160), QColor(20, 52, 104, 0)));
    Painter.drawPixmap(63, 25, NamedPicture("Bivoxa", 120));
}
