// The picture container of the buttons: named pictures drawn from SVG, each
// with a hover face (name + "H") and a disabled face (name + "D").
#pragma once

#include <QIcon>
#include <QLinearGradient>
#include <QPixmap>
#include <QString>

// The picture of that name, or an empty one when the container lacks it.
QPixmap NamedPicture(const QString& Name, int Size);

// A gradient from one colour at From to another at To, for painted backgrounds.
QLinearGradient Gradient(QPointF From, QPointF To, const QColor& First, const QColor& Last);

// Normal and pressed: Name; hover: Name + "H"; disabled: Name + "D".
QIcon ButtonIcon(const QString& Name, int Size);
