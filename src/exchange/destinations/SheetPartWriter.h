#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class SourceRows;

// The XML part of one worksheet, made row after row as the archive reads it, so a sheet
// of any size needs little memory and no scratch file: the field names in the first row,
// then the rows of the source. Texts are written inline (no shared strings), every cell
// with its reference as readers of workbooks expect; XML has no place for control
// characters other than tab and line breaks, so those are left out.
class SheetPartWriter {
public:
    // How dates are written: as date cells (the workbook's styles 1 = date and
    // 2 = date and time), or as texts yyyy-MM-dd (a sheet added to a workbook whose
    // styles are not ours to change).
    enum class Dates { AsDateCells, AsText };

    SheetPartWriter(SourceRows& rows, Dates dates, std::function<bool(int)> progress);

    // Fills `data` with up to `capacity` bytes of the part; 0 at its end. Throws DbError
    // (ExportCancelled when the progress callback says the user cancelled).
    qint64 read(char* data, qint64 capacity);

    int rowsWritten() const { return rowsWritten_; }
    qint64 size() const { return produced_; }

private:
    void beginRow(int number);
    void endRow();
    void beginCell(int column);
    void cell(const QVariant& value);
    void text(const QString& value);
    void text(const char* utf8, qsizetype size);
    void number(qint64 value);
    void number(double value);
    void row(int number, const QList<QVariant>& values);
    void row(int number);
    void makeMore(qint64 wanted);

    SourceRows& rows_;
    Dates dates_;
    std::function<bool(int)> progress_;
    bool started_ = false;
    bool finished_ = false;
    int rowsWritten_ = 0;
    qint64 produced_ = 0;
    qsizetype consumed_ = 0;   // bytes of buffer_ already handed out
    QByteArray buffer_;
    QByteArray rowNumber_;
    QList<QByteArray> columns_;
    QList<bool> dateColumns_;
};
