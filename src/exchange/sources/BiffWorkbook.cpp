#include "BiffWorkbook.h"

#include "BiffRecordReader.h"
#include "ExcelCells.h"
#include "SourceTextDecoder.h"

#include <QtEndian>

namespace {

constexpr quint16 BofRecord = 0x0809;
constexpr quint16 EofRecord = 0x000A;
constexpr quint16 ContinueRecord = 0x003C;
constexpr quint16 BoundSheetRecord = 0x0085;
constexpr quint16 DateModeRecord = 0x0022;
constexpr quint16 FormatRecord = 0x041E;
constexpr quint16 XfRecord = 0x00E0;
constexpr quint16 SstRecord = 0x00FC;
constexpr quint16 LabelSstRecord = 0x00FD;
constexpr quint16 LabelRecord = 0x0204;
constexpr quint16 NumberRecord = 0x0203;
constexpr quint16 RkRecord = 0x027E;
constexpr quint16 MulRkRecord = 0x00BD;
constexpr quint16 BoolErrRecord = 0x0205;
constexpr quint16 FormulaRecord = 0x0006;
constexpr quint16 StringRecord = 0x0207;
constexpr quint16 RichStringRecord = 0x00D6;   // Excel 5/95: a text with formatting runs
constexpr quint16 CodePageRecord = 0x0042;
constexpr quint16 FilePassRecord = 0x002F;
constexpr quint16 Biff8Version = 0x0600;
constexpr quint16 Biff5Version = 0x0500;       // Excel 5 and Excel 95 (BIFF7) alike
constexpr int MaxRows = 65536;
constexpr int MaxColumns = 256;
constexpr quint32 MaxSharedStrings = 4 * 1024 * 1024;


double rkNumber(quint32 rk)
{
    double number = 0;
    if (rk & 0x02) {
        number = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        memcpy(&number, &bits, sizeof number);
    }
    return (rk & 0x01) ? number / 100.0 : number;
}

} // namespace

std::optional<BiffWorkbook::Record> BiffWorkbook::recordAt(qsizetype& offset) const
{
    auto header = [&](qsizetype at, quint16& type, quint16& length) {
        if (at + 4 > stream_.size())
            return false;
        type = qFromLittleEndian<quint16>(stream_.constData() + at);
        length = qFromLittleEndian<quint16>(stream_.constData() + at + 2);
        return at + 4 + length <= stream_.size();
    };
    Record record;
    quint16 length = 0;
    if (!header(offset, record.type, length))
        return std::nullopt;
    record.data = stream_.mid(offset + 4, length);
    offset += 4 + length;
    quint16 nextType = 0;
    while (header(offset, nextType, length) && nextType == ContinueRecord) {
        record.continues.push_back(stream_.mid(offset + 4, length));
        offset += 4 + length;
    }
    return record;
}

std::optional<BiffWorkbook> BiffWorkbook::parse(const QByteArray& stream)
{
    BiffWorkbook workbook(stream);
    if (!workbook.readGlobals())
        return std::nullopt;
    return workbook;
}

bool BiffWorkbook::readGlobals()
{
    qsizetype offset = 0;
    const std::optional<Record> bof = recordAt(offset);
    if (!bof || bof->type != BofRecord || bof->data.size() < 4)
        return false;
    const quint16 version = qFromLittleEndian<quint16>(bof->data.constData());
    if (version != Biff8Version && version != Biff5Version)
        return false;   // Excel 2-4 are FreeXL's
    biff8_ = version == Biff8Version;
    for (;;) {
        const std::optional<Record> record = recordAt(offset);
        if (!record)
            return false;
        if (record->type == EofRecord)
            break;
        BiffRecordReader in(record->data, &record->continues);
        switch (record->type) {
        case FilePassRecord:
            encrypted_ = true;   // what follows is encrypted
            return true;
        case CodePageRecord:
            codePage_ = SourceTextDecoder::codePageOfWindowsNumber(in.u16());
            break;
        case BoundSheetRecord: {
            Sheet sheet;
            sheet.offset = in.u32();
            in.u8();                        // visibility: hidden sheets are sheets too
            const quint8 kind = in.u8();    // 0 worksheet, 2 chart, 6 module
            sheet.name = text(in, 1);
            if (in.failed())
                return false;
            if (kind == 0)
                sheets_ << sheet;
            break;
        }
        case DateModeRecord:
            datesFrom1904_ = in.u16() == 1;
            break;
        case FormatRecord: {
            const int id = in.u16();
            const QString code = text(in, biff8_ ? 2 : 1);
            if (!in.failed())
                formatCodes_[id] = code;
            break;
        }
        case XfRecord:
            in.u16();   // font
            xfFormats_.push_back(in.u16());
            break;
        case SstRecord: {
            if (!biff8_)
                break;
            in.u32();
            const quint32 unique = in.u32();
            if (unique > MaxSharedStrings)
                return false;
            sharedStrings_.reserve(unique);
            for (quint32 i = 0; i < unique && !in.failed(); ++i)
                sharedStrings_.push_back(in.string(false));
            if (in.failed())
                return false;
            break;
        }
        default:
            break;
        }
    }
    return true;
}

QString BiffWorkbook::text(BiffRecordReader& in, int countBytes) const
{
    if (biff8_)
        return in.string(countBytes == 1);
    const quint16 count = countBytes == 1 ? in.u8() : in.u16();
    const QByteArray bytes = in.bytes(count);
    SourceTextDecoder decoder(codePage_);
    return decoder.decode(bytes);
}

QVariant BiffWorkbook::numberValue(double number, int xf) const
{
    if (xf >= 0 && size_t(xf) < xfFormats_.size()) {
        const int format = xfFormats_[size_t(xf)];
        const auto code = formatCodes_.find(format);
        const QString formatCode = code == formatCodes_.end() ? QString() : code->second;
        const QString duration = ExcelCells::durationFormat(format, formatCode);
        if (!duration.isEmpty())
            return ExcelCells::durationText(number, duration);
        if (ExcelCells::isDateFormat(format, formatCode)) {
            const QVariant date = ExcelCells::dateFromSerial(number, datesFrom1904_);
            if (date.isValid())
                return date;
        }
    }
    return ExcelCells::number(number);
}

std::optional<BiffWorkbook::Cells> BiffWorkbook::cells(const Sheet& sheet) const
{
    qsizetype offset = qsizetype(sheet.offset);
    const std::optional<Record> bof = recordAt(offset);
    if (!bof || bof->type != BofRecord)
        return std::nullopt;
    Cells cells;
    int formulaRow = -1, formulaColumn = -1;   // a text formula's result follows in STRING
    auto put = [&](int row, int column, const QVariant& value) {
        if (row < 0 || row >= MaxRows || column < 0 || column >= MaxColumns)
            return false;
        if (value.isValid())
            cells[row][column] = value;
        return true;
    };
    for (;;) {
        const std::optional<Record> record = recordAt(offset);
        if (!record)
            return std::nullopt;
        if (record->type == EofRecord)
            return cells;
        if (record->type == BofRecord) {
            // An embedded chart's substream: skip it to its own end.
            for (int depth = 1; depth > 0;) {
                const std::optional<Record> inner = recordAt(offset);
                if (!inner)
                    return std::nullopt;
                depth += inner->type == BofRecord ? 1 : inner->type == EofRecord ? -1 : 0;
            }
            continue;
        }
        BiffRecordReader in(record->data, &record->continues);
        bool ok = true;
        switch (record->type) {
        case LabelSstRecord: {
            const int row = in.u16(), column = in.u16();
            in.u16();
            const quint32 index = in.u32();
            if (in.failed() || index >= sharedStrings_.size())
                return std::nullopt;
            ok = put(row, column, sharedStrings_[index]);
            break;
        }
        case LabelRecord:
        case RichStringRecord: {
            const int row = in.u16(), column = in.u16();
            in.u16();
            const QString value = text(in, 2);
            ok = !in.failed() && put(row, column, value);
            break;
        }
        case NumberRecord: {
            const int row = in.u16(), column = in.u16(), xf = in.u16();
            const double number = in.f64();
            ok = !in.failed() && put(row, column, numberValue(number, xf));
            break;
        }
        case RkRecord: {
            const int row = in.u16(), column = in.u16(), xf = in.u16();
            const quint32 rk = in.u32();
            ok = !in.failed() && put(row, column, numberValue(rkNumber(rk), xf));
            break;
        }
        case MulRkRecord: {
            const int row = in.u16();
            int column = in.u16();
            const qsizetype pairs = (record->data.size() - 6) / 6;
            for (qsizetype i = 0; i < pairs && ok; ++i, ++column) {
                const int xf = in.u16();
                ok = put(row, column, numberValue(rkNumber(in.u32()), xf));
            }
            ok = ok && !in.failed();
            break;
        }
        case BoolErrRecord: {
            const int row = in.u16(), column = in.u16();
            in.u16();
            const quint8 value = in.u8(), isError = in.u8();
            ok = !in.failed() && put(row, column, isError ? QVariant() : QVariant(value != 0));
            break;
        }
        case FormulaRecord: {
            const int row = in.u16(), column = in.u16(), xf = in.u16();
            const QByteArray result = record->data.mid(6, 8);
            if (in.failed() || result.size() != 8)
                return std::nullopt;
            if (quint8(result.at(6)) == 0xFF && quint8(result.at(7)) == 0xFF) {
                switch (quint8(result.at(0))) {
                case 0: formulaRow = row; formulaColumn = column; break;   // text: in STRING
                case 1: ok = put(row, column, quint8(result.at(2)) != 0); break;
                default: break;                                           // error or empty
                }
            } else {
                ok = put(row, column, numberValue(qFromLittleEndian<double>(result.constData()), xf));
            }
            break;
        }
        case StringRecord: {
            const QString value = text(in, 2);
            if (!in.failed() && formulaRow >= 0)
                ok = put(formulaRow, formulaColumn, value);
            formulaRow = formulaColumn = -1;
            break;
        }
        default:
            break;
        }
        if (!ok)
            return std::nullopt;
    }
}
