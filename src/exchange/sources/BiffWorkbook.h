#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <map>
#include <optional>
#include <vector>

class BiffRecordReader;

// An Excel workbook stream read by the program itself, Excel 97-2003 (BIFF8) and Excel 5/95
// (BIFF5/BIFF7, texts in the workbook's code page): FreeXL loses the results of formulas and
// refuses some writers' files, OpenOffice's among them. Worksheets with their names, the shared
// strings, the cell formats that show dates, and the cells of a worksheet: texts, numbers,
// booleans, cached formula results. Every length and position comes from the stream and is
// checked against it.
class BiffWorkbook {
public:
    struct Sheet {
        QString name;
        quint32 offset = 0;
    };
    // One worksheet's values by row and column; empty cells are absent.
    using Cells = std::map<int, std::map<int, QVariant>>;

    // nullopt when the stream is no readable BIFF5, BIFF7 or BIFF8 workbook.
    static std::optional<BiffWorkbook> parse(const QByteArray& stream);

    // The workbook is encrypted (saved with a password to open it): nothing of it can be read.
    bool encrypted() const { return encrypted_; }
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
    // A string of the record: BIFF8's own kind, or in Excel 5/95 bytes in the code page
    // after a count of countBytes bytes.
    QString text(BiffRecordReader& in, int countBytes) const;

    QByteArray stream_;
    QList<Sheet> sheets_;
    std::vector<QString> sharedStrings_;
    std::vector<int> xfFormats_;           // number format of each cell format
    std::map<int, QString> formatCodes_;
    bool datesFrom1904_ = false;
    bool biff8_ = true;
    bool encrypted_ = false;
    QString codePage_ = QStringLiteral("windows-1252");   // Excel 5/95 texts
};
