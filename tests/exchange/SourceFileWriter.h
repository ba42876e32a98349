#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Writes the outside files the import tests read: CSV as plain text, dBase with shapelib,
// workbooks with libxlsxwriter. A Null value in a row is left empty.
namespace SourceFileWriter {

using Rows = QList<QVariantList>;

// The text written as UTF-8 bytes, or as GB18030 when `gb18030` is set.
void writeCsv(const QString& path, const QString& text, bool gb18030 = false);

// Character fields of the given widths; texts are written in code page 936 and the header's
// code page byte says so (0x4D).
void writeDbf(const QString& path, const QStringList& names, const QList<int>& widths, const Rows& rows);

struct Sheet {
    QString name;
    QStringList header;
    Rows rows;   // QString, numbers, or Null for an empty cell
};
void writeXlsx(const QString& path, const QList<Sheet>& sheets);

// A file of the given size filled with fixed pseudo-random bytes.
void writeRandomBytes(const QString& path, int size);

} // namespace SourceFileWriter
