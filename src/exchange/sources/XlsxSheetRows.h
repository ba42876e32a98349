#pragma once

#include "ExcelCells.h"
#include "FastXmlReader.h"
#include "SourceFileError.h"
#include "XlsxWorkbook.h"
#include "ZipArchive.h"

#include <QList>
#include <QString>
#include <functional>
#include <span>
#include <vector>

// One cell as the sheet stores it, before it becomes a value.
struct RawCell {
    // The t attribute: n (or none, or one unknown) a number, s a shared string, inlineStr, str
    // a formula's text, b, e, d.
    enum class Type { Number, SharedString, InlineString, FormulaText, Boolean, Error, Date };

    int column = -1;
    Type type = Type::Number;
    int style = 0;
    QByteArray value;   // <v>, or the inline string's text, as UTF-8 with entities resolved
    bool hasValue = false;

    static Type typeOf(QByteArrayView t)
    {
        if (t == "s")
            return Type::SharedString;
        if (t == "inlineStr")
            return Type::InlineString;
        if (t == "str")
            return Type::FormulaText;
        if (t == "b")
            return Type::Boolean;
        if (t == "e")
            return Type::Error;
        if (t == "d")
            return Type::Date;
        return Type::Number;
    }
};

// Walks the rows of a worksheet part: calls onRow with each row number (1-based) and its
// cells in column order. Throws DbError when the part is damaged.
// A sheet of a million rows passes through here: the cells of a row are kept from one row to
// the next, so their buffers are used again where no value holds on to them.
class XlsxSheetRows {
public:
    static constexpr qint64 MaxRows = 1048576;
    using RowCells = std::span<const RawCell>;

    XlsxSheetRows(const XlsxWorkbook& workbook, const QString& part) : workbook_(workbook), part_(part) {}

    void forEachRow(const std::function<bool(qint64 row, RowCells cells)>& onRow) const
    {
        std::unique_ptr<QIODevice> device = workbook_.archive().openReadingAhead(part_);
        FastXmlReader xml(device.get());
        qint64 rowNumber = 0;
        std::vector<RawCell> cells;
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
            const size_t count = readCells(xml, cells);
            if (!onRow(rowNumber, RowCells(cells.data(), count)))
                return;
        }
        if (xml.hasError() || ZipArchive::damaged(*device))
            throw SourceFileError::corrupt(workbook_.archive().path());
    }

private:
    static bool named(const FastXmlReader& xml, char name)
    {
        return xml.name().size() == 1 && xml.name().front() == name;
    }

    // Reads the <c> elements up to the end of the row into the first cells; answers how many.
    size_t readCells(FastXmlReader& xml, std::vector<RawCell>& cells) const
    {
        static const QByteArrayView attributes[] = {"r", "t", "s"};
        size_t count = 0;
        int nextColumn = 0;
        for (;;) {
            const auto token = xml.next();
            if (token == FastXmlReader::Token::End || token == FastXmlReader::Token::Error)
                return count;
            if (token == FastXmlReader::Token::EndElement && xml.name() == "row")
                return count;
            if (token != FastXmlReader::Token::StartElement || !named(xml, 'c'))
                continue;
            if (count == cells.size())
                cells.emplace_back();
            RawCell& cell = cells[count++];
            QByteArrayView values[3];
            xml.rawAttributes(attributes, values, 3);
            const QByteArrayView reference = values[0];
            cell.column = reference.isEmpty() ? nextColumn : ExcelCells::columnOfReference(reference);
            if (cell.column < 0 || cell.column < nextColumn)
                throw SourceFileError::corrupt(workbook_.archive().path());
            nextColumn = cell.column + 1;
            cell.type = RawCell::typeOf(values[1]);
            cell.style = values[2].toInt();
            // A buffer still shared with a value handed on is let go rather than copied; others
            // (numbers, indexes into the shared strings) are used again.
            if (cell.value.isDetached())
                cell.value.resize(0);
            else
                cell.value = QByteArray();
            cell.hasValue = false;
            readCellContent(xml, cell);
        }
    }

    // Reads what the cell holds: its <v>, or the <t> texts of an inline string outside
    // phonetic readings. An inline string that also carries a <v> (some writers keep the
    // cached number there) is its string alone.
    static void readCellContent(FastXmlReader& xml, RawCell& cell)
    {
        // The shapes nearly every writer uses, read in one step.
        if (xml.readTextBetween("<v>", "</v></c>", cell.value) || xml.readTextBetween("<is><t>", "</t></is></c>", cell.value)) {
            cell.hasValue = true;
            return;
        }
        QByteArray stringText;
        bool hasString = false;
        int inValue = 0;
        int inString = 0;
        int phonetic = 0;
        for (;;) {
            const auto token = xml.next();
            if (token == FastXmlReader::Token::Text) {
                if (inString > 0)
                    stringText += xml.text();
                else if (inValue > 0)
                    cell.value += xml.text();
            } else if (token == FastXmlReader::Token::StartElement) {
                if (named(xml, 'v')) {
                    ++inValue;
                    cell.hasValue = true;
                } else if (named(xml, 't') && phonetic == 0) {
                    ++inString;
                    hasString = true;
                } else if (xml.name() == "rPh") {
                    ++phonetic;
                }
            } else if (token == FastXmlReader::Token::EndElement) {
                if (named(xml, 'c'))
                    break;
                if (named(xml, 'v') && inValue > 0)
                    --inValue;
                else if (named(xml, 't') && inString > 0)
                    --inString;
                else if (xml.name() == "rPh")
                    --phonetic;
            } else {
                break;   // the end of the part, or damage
            }
        }
        if (hasString && (cell.type == RawCell::Type::InlineString || !cell.hasValue)) {
            cell.value = std::move(stringText);
            cell.hasValue = true;
        }
    }

    const XlsxWorkbook& workbook_;
    QString part_;
};
