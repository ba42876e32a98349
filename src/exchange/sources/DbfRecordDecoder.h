#pragma once

#include "DbfHeader.h"
#include "DbfMemoFile.h"
#include "SourceFileError.h"
#include "SourceTextDecoder.h"

#include <QDateTime>
#include <QVariant>
#include <QtEndian>
#include <cmath>
#include <memory>

// Reads the values of one table's records; keeps the decoder and the memo file open.
class DbfRecordDecoder {
public:
    DbfRecordDecoder(const QString& path, const DbfHeader& header)
        : path_(path), header_(header),
          text_(SourceTextDecoder::codePageOfDbfByte(header.languageByte)),
          unknownCodePage_(SourceTextDecoder::isUnknownDbfByte(header.languageByte))
    {
    }

    QVariantList values(const char* record)
    {
        QVariantList row;
        row.reserve(header_.fields.size());
        for (const DbfField& field : header_.fields)
            row << (isNull(record, field) ? QVariant() : value(record, field));
        return row;
    }

private:
    // A text in a code page the header names but the program does not know is refused rather
    // than guessed: a guess turns Polish or Czech letters into Chinese characters without a word.
    QString decodedText(QByteArrayView bytes)
    {
        if (unknownCodePage_ && !SourceTextDecoder::isAscii(bytes))
            throw SourceFileError::unreadable(
                path_, QStringLiteral("文件标明的代码页（代码页字节 0x%1）无法识别，不能确定其中文字的写法。"
                                      "请在生成它的程序中以代码页 936（简体中文）或 1252（西欧）另存后再导入。")
                           .arg(QString::number(header_.languageByte, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
        return text_.decode(bytes);
    }

    static QByteArrayView rightTrimmed(QByteArrayView bytes)
    {
        qsizetype end = bytes.size();
        while (end > 0 && (bytes.at(end - 1) == ' ' || bytes.at(end - 1) == '\0'))
            --end;
        return bytes.first(end);
    }

    bool isNull(const char* record, const DbfField& field) const
    {
        if (!field.nullable || !header_.nullFlags)
            return false;
        const DbfField& flags = *header_.nullFlags;
        const int byte = field.nullBit / 8;
        if (byte >= flags.length)
            return false;
        return (static_cast<unsigned char>(record[flags.offset + byte]) >> (field.nullBit % 8)) & 1;
    }

    QVariant value(const char* record, const DbfField& field)
    {
        const QByteArrayView raw(record + field.offset, field.length);
        switch (field.type) {
        case 'C':
        case 'V':
            return decodedText(rightTrimmed(raw));
        case 'N':
        case 'F':
            return number(raw, field);
        case 'D':
            return date(raw);
        case 'L':
            return yesNo(raw);
        case 'M':
            return memo(raw);
        case 'G':
        case 'P':
            return {};   // pictures and OLE objects are no text to import
        case 'I':
            return field.length == 4 ? QVariant(qint64(qFromLittleEndian<qint32>(raw.constData())))
                                     : number(raw, field);
        case 'Y':
            return field.length == 8 ? QVariant(double(qFromLittleEndian<qint64>(raw.constData())) / 10000.0)
                                     : number(raw, field);
        case 'T':
            return field.length == 8 ? dateTime(raw) : QVariant();
        case 'B':
            if (header_.isVisualFoxPro() && field.length == 8)
                return qFromLittleEndian<double>(raw.constData());
            return memo(raw);
        case '+':
            if (field.length == 4)
                return qint64(qint32(qFromBigEndian<quint32>(raw.constData()) ^ 0x80000000u));
            return number(raw, field);
        default:
            return decodedText(rightTrimmed(raw));
        }
    }

    QVariant number(QByteArrayView raw, const DbfField& field)
    {
        const QByteArrayView text = raw.trimmed();
        if (text.isEmpty() || text.startsWith('*') || text.startsWith('?'))
            return {};
        bool ok = false;
        if (field.decimals == 0 && !text.contains('.') && !text.contains('e') && !text.contains('E')) {
            const qint64 whole = text.toLongLong(&ok);
            if (ok)
                return whole;
        }
        const double real = text.toDouble(&ok);
        if (ok && std::isfinite(real))
            return real;
        return decodedText(text);   // kept as it stands rather than lost
    }

    QVariant date(QByteArrayView raw)
    {
        const QByteArrayView text = raw.trimmed();
        if (text.isEmpty() || text == "00000000")
            return {};
        const QDate day = text.size() == 8 ? QDate(text.first(4).toInt(), text.sliced(4, 2).toInt(), text.sliced(6).toInt()) : QDate();
        if (day.isValid())
            return day;
        return decodedText(text);
    }

    static QVariant yesNo(QByteArrayView raw)
    {
        switch (raw.isEmpty() ? ' ' : raw.at(0)) {
        case 'T': case 't': case 'Y': case 'y':
            return true;
        case 'F': case 'f': case 'N': case 'n':
            return false;
        default:
            return {};
        }
    }

    static QVariant dateTime(QByteArrayView raw)
    {
        const qint32 julianDay = qFromLittleEndian<qint32>(raw.constData());
        const qint32 milliseconds = qFromLittleEndian<qint32>(raw.constData() + 4);
        if (julianDay <= 0)
            return {};
        const QDate day = QDate::fromJulianDay(julianDay);
        if (!day.isValid() || milliseconds < 0 || milliseconds >= 86400000)
            return {};
        return QDateTime(day, QTime::fromMSecsSinceStartOfDay(milliseconds));
    }

    QVariant memo(QByteArrayView raw)
    {
        quint32 block = 0;
        if (raw.size() == 4) {
            block = qFromLittleEndian<quint32>(raw.constData());
        } else {
            const QByteArrayView digits = raw.trimmed();
            if (digits.isEmpty())
                return {};
            bool ok = false;
            block = digits.toUInt(&ok);
            if (!ok)
                throw SourceFileError::corrupt(path_);
        }
        if (block == 0)
            return {};
        std::optional<QByteArray> bytes = memoFile().read(block);
        if (!bytes)
            throw SourceFileError::corrupt(memoPath_);
        bytes->replace("\x8D\x0A", "\x0D\x0A");   // dBase's soft line break
        return decodedText(rightTrimmed(QByteArrayView(*bytes)));
    }

    DbfMemoFile& memoFile()
    {
        if (!memo_) {
            const bool foxPro = header_.isVisualFoxPro() || header_.version == 0xF5 || header_.version == 0xFB;
            memoPath_ = DbfMemoFile::findFor(path_, foxPro);
            if (memoPath_.isEmpty())
                throw SourceFileError::unreadable(
                    path_, QStringLiteral("找不到它的备注文件（同名的 .dbt 或 .fpt 文件）。"));
            const auto kind = foxPro ? DbfMemoFile::Kind::FoxPro
                              : header_.version == 0x83 ? DbfMemoFile::Kind::DBaseIII
                                                        : DbfMemoFile::Kind::DBaseIV;
            memo_ = std::make_unique<DbfMemoFile>(memoPath_, kind);
        }
        return *memo_;
    }

    QString path_;
    const DbfHeader& header_;
    SourceTextDecoder text_;
    bool unknownCodePage_;
    QString memoPath_;
    std::unique_ptr<DbfMemoFile> memo_;
};
