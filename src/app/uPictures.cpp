#include "uPictures.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace {

// The pictures drawn in their base colour; faces recolour them.
const char* const BaseColour = "#1d5fa8";

struct TFace {
    const char* Suffix;
    const char* Colour;
};

const TFace Faces[] = {{"", BaseColour}, {"H", "#3a8ee6"}, {"D", "#a3acb6"}};

// Which faces the container holds for each picture.
bool Holds(const QString& Base, const QString& Suffix)
{
    static const QStringList Full = {"Play", "First", "Next", "Pause", "Stop", "Setup", "AddFile", "RemoveFile",
        "Save", "OpenPlayList"};
    if (Full.contains(Base))
        return true;
    if (Base == "Bivoxa")
        return Suffix.isEmpty(); // the program's own picture: window icon and About window
    return Base == "About" && Suffix != "D";
}

} // namespace

QPixmap NamedPicture(const QString& Name, int Size)
{
    for (const TFace& Face : Faces) {
        const QString Suffix = Face.Suffix;
        if (!Name.endsWith(Suffix) || (Suffix.isEmpty() && (Name.endsWith('H') || Name.endsWith('D'))))
            continue;
        const QString Base = Name.left(Name.size() - Suffix.size());
        if (!Holds(Base, Suffix))
            continue;
        QFile Svg(":/icons/" + Base + ".svg");
        if (!Svg.open(QIODevice::ReadOnly))
            return {};
        QSvgRenderer Renderer(Svg.readAll().replace(BaseColour, Face.Colour));
        QPixmap Picture(Size, Size);
        Picture.fill(Qt::transparent);
        QPainter Painter(&Picture);
        Renderer.render(&Painter);
        return Picture;
    }
    return {};
}

QLinearGradient Gradient(QPointF From, QPointF To, const QColor& First, const QColor& Last)
{
    QLinearGradient Result(From, To);
    Result.setColorAt(0, First);
    Result.setColorAt(1, Last);
    return Result;
}

QIcon ButtonIcon(const QString& Name, int Size)
{
    QIcon Icon;
    Icon.addPixmap(NamedPicture(Name, Size), QIcon::Normal);
    Icon.addPixmap(NamedPicture(Name + "H", Size), QIcon::Active);
    Icon.addPixmap(NamedPicture(Name + "D", Size), QIcon::Disabled);
    return Icon;
}
