#pragma once

#include <QFile>
#include <QRegularExpression>
#include <QString>

// The number of pages of a PDF file: its page objects ("/Type /Page", not "/Pages").
// -1 when the file cannot be read or is no PDF.
inline int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("%PDF-"))
        return -1;
    static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(bytes).count(pageObject));
}
