#include "DbfBytes.h"

#include <QtEndian>

QByteArray dbfBytes(unsigned char version, unsigned char languageByte, const QList<DbfBytesField>& fields,
                    const QList<QByteArray>& records)
{
    const bool visualFoxPro = version == 0x30 || version == 0x31;
    int recordLength = 1;
    for (const auto& field : fields)
        recordLength += field.length;
    const int headerLength = 32 + 32 * int(fields.size()) + 1 + (visualFoxPro ? 263 : 0);

    QByteArray bytes(32, '\0');
    bytes[0] = char(version);
    bytes[1] = 126; bytes[2] = 5; bytes[3] = 17;
    qToLittleEndian<quint32>(quint32(records.size()), bytes.data() + 4);
    qToLittleEndian<quint16>(quint16(headerLength), bytes.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), bytes.data() + 10);
    bytes[29] = char(languageByte);
    int offset = 1;
    for (const auto& field : fields) {
        QByteArray descriptor(32, '\0');
        descriptor.replace(0, field.name.size(), field.name);
        descriptor[11] = field.type;
        qToLittleEndian<quint32>(quint32(offset), descriptor.data() + 12);
        descriptor[16] = char(field.length);
        descriptor[17] = char(field.decimals);
        descriptor[18] = char(field.flags);
        bytes += descriptor;
        offset += field.length;
    }
    bytes += '\x0D';
    if (visualFoxPro)
        bytes += QByteArray(263, '\0');
    for (const QByteArray& record : records) {
        QByteArray full = record.startsWith('*') ? record : ' ' + record;
        full = full.leftJustified(recordLength, ' ', true);
        bytes += full;
    }
    bytes += '\x1A';
    return bytes;
}
