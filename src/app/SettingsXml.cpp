#include "SettingsXml.h"

#include "platform/Cp1250.h"
#include "platform/SysUtils.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

const char* const LineEnd = "\r\n";

void WriteElement(QString& Out, const TXmlElement& Element, int Depth)
{
    const QString Indent(2 * Depth, ' ');
    if (!Element.Children.empty()) {
        Out += Indent + "<" + Element.Name + ">" + LineEnd;
        for (const TXmlElement& Child : Element.Children)
            WriteElement(Out, Child, Depth + 1);
        Out += Indent + "</" + Element.Name + ">" + LineEnd;
    } else if (Element.Text.isEmpty()) {
        Out += Indent + "<" + Element.Name + "/>" + LineEnd;
    } else {
        Out += Indent + "<" + Element.Name + ">" + EscapeXmlText(Element.Text) + "</" + Element.Name + ">" + LineEnd;
    }
}

QString DecodeBytes(const QByteArray& Bytes)
{
    if (Bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(Bytes.mid(3));
    if (Bytes.startsWith("\xFF\xFE"))
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(Bytes.constData() + 2), (Bytes.size() - 2) / 2);
    if (Bytes.startsWith("\xFE\xFF")) {
        QByteArray Swapped = Bytes.mid(2);
        for (qsizetype I = 0; I + 1 < Swapped.size(); I += 2)
            std::swap(Swapped[I], Swapped[I + 1]);
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(Swapped.constData()), Swapped.size() / 2);
    }
    const std::string Raw = Bytes.toStdString();
    return QString::fromStdString(IsValidUtf8(Raw) ? Raw : Cp1250ToUtf8(Raw));
}

// Short references name Windows-1250 bytes, as files written on Windows have them.
QString ResolveByteReferences(const QString& Text)
{
    static const QRegularExpression Reference(R"(&#(x[0-9A-Fa-f]{1,2}|[0-9]{1,3});)");
    QString Out;
    qsizetype Done = 0;
    auto Match = Reference.globalMatch(Text);
    while (Match.hasNext()) {
        const auto Found = Match.next();
        const QString Digits = Found.captured(1);
        const int Value = Digits.startsWith('x') ? Digits.mid(1).toInt(nullptr, 16) : Digits.toInt();
        if (Value < 0x80 || Value > 0xFF)
            continue;
        Out += Text.mid(Done, Found.capturedStart() - Done);
        Out += QString::fromUcs4(std::u32string(1, Cp1250ToUnicode(static_cast<uint8_t>(Value))).c_str(), 1);
        Done = Found.capturedEnd();
    }
    return Out + Text.mid(Done);
}

TXmlElement ReadElement(QXmlStreamReader& Reader)
{
    TXmlElement Element;
    Element.Name = Reader.name().toString();
    while (Reader.readNext() != QXmlStreamReader::EndElement && !Reader.atEnd()) {
        if (Reader.isStartElement())
            Element.Children.push_back(ReadElement(Reader));
        else if (Reader.isCharacters() && !Reader.isWhitespace())
            Element.Text += Reader.text();
    }
    if (!Element.Children.empty())
        Element.Text.clear();
    return Element;
}

} // namespace

const TXmlElement* TXmlElement::Child(const QString& ChildName) const
{
    for (const TXmlElement& Element : Children)
        if (Element.Name == ChildName)
            return &Element;
    return nullptr;
}

TXmlElement& TXmlElement::Add(const QString& ChildName, const QString& ChildText)
{
    Children.push_back({ChildName, ChildText, {}});
    return Children.back();
}

QString EscapeXmlText(const QString& Text)
{
    QString Out;
    for (char32_t Char : Text.toUcs4()) {
        switch (Char) {
        case '&': Out += "&amp;"; continue;
        case '<': Out += "&lt;"; continue;
        case '>': Out += "&gt;"; continue;
        case '"': Out += "&quot;"; continue;
        case '\'': Out += "&apos;"; continue;
        default: break;
        }
        if (Char < 0x80) {
            Out += QChar(static_cast<char16_t>(Char));
            continue;
        }
        const int Byte = UnicodeToCp1250(Char);
        Out += Byte >= 0 ? QString::asprintf("&#x%.2x;", Byte) : QString::asprintf("&#x%.4x;", static_cast<unsigned>(Char));
    }
    return Out;
}

QByteArray WriteXmlDocument(const TXmlDocument& Document)
{
    QString Out = QString(R"(<?xml version="1.0" encoding="UTF-8"?>)") + LineEnd;
    for (const QString& Comment : Document.Comments)
        Out += "<!--" + Comment + "-->" + LineEnd;
    WriteElement(Out, Document.Root, 1);
    return Out.toUtf8(); // all ASCII
}

TXmlDocument ReadXmlDocument(const QByteArray& Bytes)
{
    QXmlStreamReader Reader(ResolveByteReferences(DecodeBytes(Bytes)));
    TXmlDocument Document;
    bool RootSeen = false;
    while (!Reader.atEnd()) {
        Reader.readNext();
        if (Reader.isComment() && !RootSeen)
            Document.Comments.append(Reader.text().toString());
        else if (Reader.isStartElement() && !RootSeen) {
            Document.Root = ReadElement(Reader);
            RootSeen = true;
        }
    }
    if (Reader.hasError())
        throw Exception(Reader.errorString().toStdString());
    return Document;
}
