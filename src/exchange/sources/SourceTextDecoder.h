#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <memory>
#include <vector>

// Turns the bytes of a text field into text, by a named code page ("GB18030",
// "windows-1252", ...), or, when no code page is named, as UTF-8 when the bytes are valid
// UTF-8 and as GB18030 otherwise (what Chinese Windows programs write without saying so).
class SourceTextDecoder {
public:
    explicit SourceTextDecoder(const QString& codePage = {});

    QString decode(QByteArrayView bytes);

    // The code page a dBase header's language byte stands for; empty for 0 and for bytes of
    // no known code page. Mazovia and Kamenický, which no converter knows, are named
    // "Mazovia" and "Kamenicky" and decoded here.
    static QString codePageOfDbfByte(unsigned char languageByte);
    // A byte that names a code page, but none the program knows.
    static bool isUnknownDbfByte(unsigned char languageByte);
    static bool isAscii(QByteArrayView bytes);
    // The code page a Windows code page number stands for (936 → GB18030, 1252 →
    // windows-1252 ...); windows-1252 for numbers of no known code page.
    static QString codePageOfWindowsNumber(int number);

private:
    QString decodeByTable(QByteArrayView bytes) const;

    std::vector<char16_t> table_;   // a one-byte code page decoded here: the character of each byte
    std::unique_ptr<QStringDecoder> named_;
    QStringDecoder utf8_;
    QStringDecoder gb18030_;
};
