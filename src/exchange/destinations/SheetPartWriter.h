#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class SourceRows;

// The XML part of one worksheet, written row after row to a file with little memory,
// every write checked. Texts are written inline (no shared strings), every cell with its
// reference as readers of workbooks expect; XML has no place for control characters other
// than tab and line breaks, so those are left out.
class SheetPartWriter {
public:
    // How dates are written: as date cells (the workbook's styles 1 = date and
    // 2 = date and time), or as texts yyyy-MM-dd (a sheet added to a workbook whose
    // styles are not ours to change).
    enum class Dates { AsDateCells, AsText };

    // Creates the file; throws DbError saying why it cannot. A failure names `shownPath`,
    // the file the user chose.
    SheetPartWriter(const QString& path, const QString& shownPath, int columns, Dates dates);

    void row(int number, const QList<QVariant>& values);
    // A row of `rows`, read straight from the database where the value needs no conversion.
    void row(int number, const SourceRows& rows);
    // Ends the sheet; returns the part's size in bytes. Throws DbError when a write failed.
    qint64 finish();

    // The rows of `rows` under a first row of their field names. Returns the number of
    // rows written; throws DbError (ExportCancelled when the progress callback says so).
    static int writeRows(SheetPartWriter& sheet, SourceRows& rows, const std::function<bool(int)>& progress);

private:
    void beginRow(int number);
    void endRow();
    void beginCell(int column);
    void cell(const QVariant& value);
    void text(const QString& value);
    void text(const char* utf8, qsizetype size);
    void number(qint64 value);
    void number(double value);
    void flush();
    [[noreturn]] void fail();

    QFile file_;
    QString shownPath_;
    Dates dates_;
    QByteArray buffer_;
    QByteArray rowNumber_;
    QList<QByteArray> columns_;
    QList<bool> dateColumns_;   // set by the first row(number, rows)
    qint64 size_ = 0;
};
