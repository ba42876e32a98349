#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One field of a dBase table as its header describes it.
struct DbfField {
    QString name;
    char type = 'C';
    int offset = 0;          // within the record, after the deletion flag
    int length = 0;
    int decimals = 0;
    bool nullable = false;   // Visual FoxPro: has a bit in the _NullFlags field
    int nullBit = -1;
};

// The header of a dBase III/IV, FoxPro or Visual FoxPro table: its version, the number and
// length of its records, the code page byte and the fields. Parsed from the first bytes of
// the file; every size is checked against the file's real size.
struct DbfHeader {
    unsigned char version = 0;
    unsigned char languageByte = 0;
    qint64 recordCount = 0;
    int headerLength = 0;
    int recordLength = 0;
    QList<DbfField> fields;            // the visible ones; _NullFlags is kept apart
    std::optional<DbfField> nullFlags;

    bool isVisualFoxPro() const { return version == 0x30 || version == 0x31 || version == 0x32; }
    bool hasMemoFile() const;

    // Whether the first bytes look like a dBase header of a known version.
    static bool looksLikeDbf(const QByteArray& head, qint64 fileSize);

    // The header, or nullopt when the bytes are no consistent header for a file of this size.
    static std::optional<DbfHeader> parse(const QByteArray& head, qint64 fileSize);
};
