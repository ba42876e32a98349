#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <map>
#include <optional>
#include <vector>

// An Excel 97-2003 workbook stream (BIFF8) read by the program itself (FreeXL loses the
// results of formulas and refuses some writers' files, OpenOffice's among them): worksheets with
// their names, the shared strings, the cell formats that show dates, and the cells of a
// worksheet: texts, numbers, booleans, cached formula results. Every length and position
// comes from the stream and is checked against it.
class BiffWorkbook {
public:
    struct Sheet {
        QString name;
        quint32 offset = 0;
    };
    // One worksheet's values by row and column; empty cells are absent.
    using Cells = std::map<int, std::map<int, QVariant>>;

    // nullopt when the stream is no readable BIFF8 workbook.
    static std::optional<BiffWorkbook> parse(const QByteArray& stream);

    const QList<Sheet>& worksheets() const { return sheets_; }
    // nullopt when the sheet's part of the stream is damaged.
    std::optional<Cells> cells(const Sheet& sheet) const;

private:
    struct Record {
        quint16 type = 0;
        QByteArray data;   // CONTINUE records are kept apart, see continues
        std::vector<QByteArray> continues;
    };

    explicit BiffWorkbook(const QByteArray& stream) : stream_(stream) {}
    bool readGlobals();
    // The record at offset (with its CONTINUE records); nullopt past the end or when damaged.
    std::optional<Record> recordAt(qsizetype& offset) const;
    QVariant numberValue(double number, int xf) const;

    QByteArray stream_;
    QList<Sheet> sheets_;
    std::vector<QString> sharedStrings_;
    std::vector<int> xfFormats_;           // number format of each cell format
    std::map<int, QString> formatCodes_;
    bool datesFrom1904_ = false;
};
