#pragma once

#include "ZipArchive.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// What an .xlsx package says about its workbook before any sheet is read: the worksheets in
// their order with the part each is stored in, the shared strings, which cell styles show
// dates and whether dates count from 1904. Chart sheets and other parts are left out.
class XlsxWorkbook {
public:
    struct Sheet {
        QString name;
        QString part;   // e.g. "xl/worksheets/sheet1.xml"
    };

    // Throws DbError naming the file when it is no readable workbook.
    explicit XlsxWorkbook(const QString& path);

    static bool isWorkbook(const ZipArchive& archive);

    const QList<Sheet>& sheets() const { return sheets_; }
    const ZipArchive& archive() const { return archive_; }

    // Read when the first sheet is loaded, not for the table list.
    void readCellFormats();
    qsizetype sharedStringCount() const { return qsizetype(sharedStringEnds_.size()); }
    // The string's text as the package stores it: UTF-8, OOXML's _xHHHH_ escapes still in it.
    QByteArrayView sharedStringBytes(qsizetype index) const;
    bool styleIsDate(int styleIndex) const;
    // The elapsed-time format ("[h]:mm:ss") of a cell style; empty for every other style.
    QString styleDuration(int styleIndex) const;
    bool datesFrom1904() const { return datesFrom1904_; }

private:
    void readSheetList();
    void readSharedStrings();
    void readStyles();

    ZipArchive archive_;
    QList<Sheet> sheets_;
    // All shared strings as UTF-8 one after the other, and where each ends: a workbook with a
    // million different texts takes a fraction of the memory of a list of strings.
    QByteArray sharedStringBytes_;
    std::vector<qsizetype> sharedStringEnds_;
    std::vector<bool> dateStyles_;
    std::vector<QString> durationStyles_;
    bool datesFrom1904_ = false;
};
