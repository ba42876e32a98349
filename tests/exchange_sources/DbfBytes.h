#pragma once

#include <QByteArray>
#include <QList>

// A dBase table written byte by byte, for headers and field types the project's own dBase
// writer does not make (FoxPro versions, code page bytes, memo pointers, binary fields).
struct DbfBytesField {
    QByteArray name;
    char type;
    int length;
    int decimals = 0;
    unsigned char flags = 0;
};

QByteArray dbfBytes(unsigned char version, unsigned char languageByte, const QList<DbfBytesField>& fields,
                    const QList<QByteArray>& records);   // each record without its deletion flag; "*" + ... marks deleted
