// The settings file's XML: written byte-exact (CR LF, two-blank indents, every
// non-ASCII character as a reference) and read with a real parser.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct TXmlElement {
    QString Name;
    QString Text;
    std::vector<TXmlElement> Children;

    // The first child of that name, or nullptr.
    const TXmlElement* Child(const QString& ChildName) const;
    TXmlElement& Add(const QString& ChildName, const QString& ChildText = {});
};

struct TXmlDocument {
    QStringList Comments; // the comments before the root element, in order
    TXmlElement Root;
};

// Text as the file stores it: the five entities, Windows-1250 bytes from 0x80 up
// as "&#x%.2x;", and characters that Windows-1250 lacks as their code point in
// four or more hex digits.
QString EscapeXmlText(const QString& Text);

QByteArray WriteXmlDocument(const TXmlDocument& Document);

// Reads a document. A byte-order mark is honoured; without one the bytes are
// UTF-8 when they are well-formed UTF-8, else Windows-1250. A character reference
// of up to two hex digits, or a decimal one up to 255, stands for a
// Windows-1250 byte; longer ones for a code point. Raises Exception with the
// parser's message when the document is not well-formed.
TXmlDocument ReadXmlDocument(const QByteArray& Bytes);
