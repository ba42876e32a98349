#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <memory>

// Turns the bytes of a text field into text, by a named code page ("GB18030",
// "windows-1252", ...), or, when no code page is named, as UTF-8 when the bytes are valid
// UTF-8 and as GB18030 otherwise (what Chinese Windows programs write without saying so).
class SourceTextDecoder {
public:
    explicit SourceTextDecoder(const QString& codePage = {});

    QString decode(QByteArrayView bytes);

    // The code page a dBase header's language byte stands for; empty for 0 and for bytes of
    // no known code page.
    static QString codePageOfDbfByte(unsigned char languageByte);
    // The code page a Windows code page number stands for (936 → GB18030, 1252 →
    // windows-1252 ...); windows-1252 for numbers of no known code page.
    static QString codePageOfWindowsNumber(int number);

private:
    std::unique_ptr<QStringDecoder> named_;
    QStringDecoder utf8_;
    QStringDecoder gb18030_;
};
