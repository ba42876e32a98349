#include "DbfHeader.h"

#include "SourceTextDecoder.h"

#include <QtEndian>

namespace {

constexpr int FixedPartLength = 32;
constexpr int FieldDescriptorLength = 32;
constexpr int MaxFields = 2048;

bool knownVersion(unsigned char version)
{
    switch (version) {
    case 0x02: case 0x03: case 0x04: case 0x05:   // FoxBase, dBase III, dBase IV, dBase V
    case 0x30: case 0x31: case 0x32:              // Visual FoxPro
    case 0x43: case 0x63:                         // dBase IV with SQL table
    case 0x83:                                    // dBase III with memo
    case 0x8B: case 0x8E:                         // dBase IV with memo
    case 0xCB: case 0xE5:                         // dBase IV SQL with memo, Clipper SIX
    case 0xF5: case 0xFB:                         // FoxPro with memo
        return true;
    default:
        return false;
    }
}

quint16 u16(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The record length the field descriptors add up to (with the deletion flag), their
// character fields' decimals byte read as the high byte of the length or not.
qint64 fieldsLength(const QByteArray& head, int headerLength, bool extendedLengths)
{
    qint64 length = 1;
    for (int at = FixedPartLength; at + FieldDescriptorLength <= headerLength && head.at(at) != '\x0D';
         at += FieldDescriptorLength) {
        const bool character = QChar::fromLatin1(head.at(at + 11)).toUpper() == QLatin1Char('C');
        length += static_cast<unsigned char>(head.at(at + 16));
        if (extendedLengths && character)
            length += static_cast<unsigned char>(head.at(at + 17)) * 256;
    }
    return length;
}

// Clipper and FoxPro write character fields longer than 255 with the high byte of the length
// in the decimals byte; Excel and others write a character field's decimals there. Only the
// record length tells them apart: the long reading is taken when the fields then fill the
// record exactly and the plain reading does not.
bool hasExtendedLengths(const QByteArray& head, const DbfHeader& header)
{
    if (header.isVisualFoxPro())
        return false;
    const qint64 plain = fieldsLength(head, header.headerLength, false);
    const qint64 extended = fieldsLength(head, header.headerLength, true);
    return extended != plain && extended == header.recordLength && plain != header.recordLength;
}

} // namespace

bool DbfHeader::hasMemoFile() const
{
    for (const DbfField& field : fields) {
        if (field.type == 'M' || field.type == 'G' || field.type == 'P'
            || (field.type == 'B' && !isVisualFoxPro()))
            return true;
    }
    return false;
}

bool DbfHeader::looksLikeDbf(const QByteArray& head, qint64 fileSize)
{
    if (head.size() < FixedPartLength + 1 || !knownVersion(static_cast<unsigned char>(head.at(0))))
        return false;
    const int month = static_cast<unsigned char>(head.at(2));
    const int day = static_cast<unsigned char>(head.at(3));
    const int headerLength = u16(head, 8);
    const int recordLength = u16(head, 10);
    return month <= 12 && day <= 31 && headerLength >= FixedPartLength + 1
           && headerLength <= fileSize && recordLength >= 1;
}

std::optional<DbfHeader> DbfHeader::parse(const QByteArray& head, qint64 fileSize)
{
    if (!looksLikeDbf(head, fileSize))
        return std::nullopt;
    DbfHeader header;
    header.version = static_cast<unsigned char>(head.at(0));
    header.recordCount = u32(head, 4);
    header.headerLength = u16(head, 8);
    header.recordLength = u16(head, 10);
    header.languageByte = static_cast<unsigned char>(head.at(29));
    if (head.size() < header.headerLength)
        return std::nullopt;

    // Field names are written in the table's code page, as its texts are (Chinese names in a
    // FoxPro table of code page 936).
    SourceTextDecoder names(SourceTextDecoder::codePageOfDbfByte(header.languageByte));
    const bool extendedLengths = hasExtendedLengths(head, header);
    int offset = 1;   // the deletion flag comes first
    int nullBit = 0;
    for (int at = FixedPartLength; at + FieldDescriptorLength <= header.headerLength; at += FieldDescriptorLength) {
        if (head.at(at) == '\x0D')
            break;
        if (header.fields.size() + 1 > MaxFields)
            return std::nullopt;
        DbfField field;
        const QByteArray rawName = head.mid(at, 11);
        const qsizetype end = rawName.indexOf('\0');
        field.name = names.decode(end < 0 ? rawName : rawName.left(end)).trimmed();
        field.type = static_cast<char>(QChar::fromLatin1(head.at(at + 11)).toUpper().toLatin1());
        field.length = static_cast<unsigned char>(head.at(at + 16));
        field.decimals = static_cast<unsigned char>(head.at(at + 17));
        if (field.type == 'C' && extendedLengths) {
            field.length += field.decimals * 256;
            field.decimals = 0;
        }
        field.offset = offset;
        offset += field.length;
        if (field.length == 0 || offset > header.recordLength)
            return std::nullopt;
        if (header.isVisualFoxPro() && (static_cast<unsigned char>(head.at(at + 18)) & 0x02)) {
            field.nullable = true;
            field.nullBit = nullBit++;
        }
        // Variable-length fields have a second bit telling whether their last byte is a length.
        if (header.isVisualFoxPro() && (field.type == 'V' || field.type == 'Q'))
            ++nullBit;
        if (field.type == '0')
            header.nullFlags = field;
        else
            header.fields << field;
    }
    if (header.fields.isEmpty())
        return std::nullopt;
    return header;
}
