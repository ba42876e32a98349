#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Excel workbooks written byte by byte, for what the writers at hand do not make: Excel 5/95
// books, texts and formulas as other programs store them, encrypted books.
namespace BiffBytes {

QByteArray u8(int value);
QByteArray u16(int value);
QByteArray u32(quint32 value);
QByteArray f64(double value);

QByteArray record(quint16 type, const QByteArray& data);

// A BIFF8 text: 16-bit count, flags, UTF-16 characters.
QByteArray wideString(const QString& text);

// A compound file holding the named streams (each written as a regular stream of at
// least 4096 bytes, padded with zeros).
QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams);

} // namespace BiffBytes
