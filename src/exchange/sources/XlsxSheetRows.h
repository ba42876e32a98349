#pragma once

#include "ExcelCells.h"
#include "FastXmlReader.h"
#include "SourceFileError.h"
#include "XlsxWorkbook.h"
#include "ZipArchive.h"

#include <QList>
#include <QString>
#include <functional>

// One cell as the sheet stores it, before it becomes a value.
struct RawCell {
    int column = -1;
    QByteArray type;  // t attribute: s, inlineStr, str, b, e, n, d
    int style = 0;
    QString value;    // <v>, or the inline string's text
    bool hasValue = false;
};

// Walks the rows of a worksheet part: calls onRow with each row number (1-based) and its
// cells in column order. Throws DbError when the part is damaged.
class XlsxSheetRows {
public:
    static constexpr qint64 MaxRows = 1048576;

    XlsxSheetRows(const XlsxWorkbook& workbook, const QString& part) : workbook_(workbook), part_(part) {}

    void forEachRow(const std::function<bool(qint64 row, const QList<RawCell>& cells)>& onRow) const
    {
        std::unique_ptr<QIODevice> device = workbook_.archive().open(part_);
        FastXmlReader xml(device.get());
        qint64 rowNumber = 0;
        QList<RawCell> cells;
        for (;;) {
            const auto token = xml.next();
            if (token == FastXmlReader::Token::End || token == FastXmlReader::Token::Error)
                break;
            if (token != FastXmlReader::Token::StartElement || xml.name() != "row")
                continue;
            const QByteArrayView r = xml.rawAttribute("r");
            bool ok = true;
            const qint64 given = r.isEmpty() ? rowNumber + 1 : r.toLongLong(&ok);
            if (!ok || given <= rowNumber || given > MaxRows)
                throw SourceFileError::corrupt(workbook_.archive().path());
            rowNumber = given;
            cells.clear();
            readCells(xml, cells);
            if (!onRow(rowNumber, cells))
                return;
        }
        if (xml.hasError() || ZipArchive::damaged(*device))
            throw SourceFileError::corrupt(workbook_.archive().path());
    }

private:
    // Reads the <c> elements up to the end of the row.
    void readCells(FastXmlReader& xml, QList<RawCell>& cells) const
    {
        int nextColumn = 0;
        for (;;) {
            const auto token = xml.next();
            if (token == FastXmlReader::Token::End || token == FastXmlReader::Token::Error)
                return;
            if (token == FastXmlReader::Token::EndElement && xml.name() == "row")
                return;
            if (token != FastXmlReader::Token::StartElement || xml.name() != "c")
                continue;
            RawCell cell;
            const QByteArrayView reference = xml.rawAttribute("r");
            cell.column = reference.isEmpty() ? nextColumn : ExcelCells::columnOfReference(reference);
            if (cell.column < 0 || cell.column < nextColumn)
                throw SourceFileError::corrupt(workbook_.archive().path());
            nextColumn = cell.column + 1;
            cell.type = xml.rawAttribute("t").toByteArray();
            cell.style = xml.rawAttribute("s").toInt();
            readCellContent(xml, cell);
            cells << std::move(cell);
        }
    }

    // Reads what the cell holds: its <v>, or the <t> texts of an inline string outside
    // phonetic readings.
    static void readCellContent(FastXmlReader& xml, RawCell& cell)
    {
        QByteArray value;
        int depthInValue = 0;
        int phonetic = 0;
        for (;;) {
            const auto token = xml.next();
            if (token == FastXmlReader::Token::End || token == FastXmlReader::Token::Error)
                break;
            if (token == FastXmlReader::Token::StartElement) {
                if (xml.name() == "v" || (xml.name() == "t" && phonetic == 0)) {
                    ++depthInValue;
                    cell.hasValue = true;
                } else if (xml.name() == "rPh") {
                    ++phonetic;
                }
            } else if (token == FastXmlReader::Token::EndElement) {
                if (xml.name() == "c")
                    break;
                if ((xml.name() == "v" || xml.name() == "t") && depthInValue > 0)
                    --depthInValue;
                else if (xml.name() == "rPh")
                    --phonetic;
            } else if (token == FastXmlReader::Token::Text && depthInValue > 0) {
                value += xml.text();
            }
        }
        cell.value = QString::fromUtf8(value);
    }

    const XlsxWorkbook& workbook_;
    QString part_;
};
