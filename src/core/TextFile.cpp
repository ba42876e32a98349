#include "TextFile.h"

#include "DbError.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace TextFile {

namespace {

const QByteArray utf8Mark("\xEF\xBB\xBF", 3);
const QByteArray utf16LittleEndianMark("\xFF\xFE", 2);
const QByteArray utf16BigEndianMark("\xFE\xFF", 2);

QString decodeWith(QStringDecoder::Encoding encoding, const QByteArray& bytes)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

// The text when the bytes are valid UTF-8; nullopt when they are not.
std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString decodeGb18030(const QByteArray& bytes)
{
    // Qt reaches GB18030 through ICU; a build without it falls back to the
    // system's own code page rather than losing the text.
    QStringDecoder decoder("GB18030", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace

QString decodeText(const QByteArray& bytes)
{
    if (bytes.startsWith(utf16LittleEndianMark))
        return decodeWith(QStringDecoder::Utf16LE, bytes.mid(utf16LittleEndianMark.size()));
    if (bytes.startsWith(utf16BigEndianMark))
        return decodeWith(QStringDecoder::Utf16BE, bytes.mid(utf16BigEndianMark.size()));
    if (bytes.startsWith(utf8Mark))
        return decodeWith(QStringDecoder::Utf8, bytes.mid(utf8Mark.size()));
    if (std::optional<QString> text = strictUtf8(bytes))
        return *text;
    return decodeGb18030(bytes);
}

QString readTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法打开文件“%1”。").arg(QDir::toNativeSeparators(path)));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DbError(QStringLiteral("无法读取文件“%1”。").arg(QDir::toNativeSeparators(path)));
    return decodeText(bytes);
}

} // namespace TextFile
