#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <vector>

// Reads little-endian values and BIFF8 strings (and the bytes of older strings) from a record and the CONTINUE records after
// it, as one stream; a string's characters carry on in a CONTINUE record after a new flags
// byte. Reading past the end sets failed.
class BiffRecordReader {
public:
    BiffRecordReader(const QByteArray& data, const std::vector<QByteArray>* continues = nullptr)
        : data_(data), continues_(continues) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return at_ >= data_.size() && (!continues_ || next_ >= continues_->size()); }

    quint8 u8() { const QByteArray b = take(1); return b.isEmpty() ? 0 : quint8(b.at(0)); }
    quint16 u16() { const QByteArray b = take(2); return b.size() == 2 ? qFromLittleEndian<quint16>(b.constData()) : 0; }
    quint32 u32() { const QByteArray b = take(4); return b.size() == 4 ? qFromLittleEndian<quint32>(b.constData()) : 0; }
    double f64() { const QByteArray b = take(8); return b.size() == 8 ? qFromLittleEndian<double>(b.constData()) : 0; }
    void skip(qint64 count) { while (count > 0 && !failed_) { const qint64 step = std::min<qint64>(count, 8224); take(step); count -= step; } }

    // count bytes as they stand (the characters of an Excel 5/95 string).
    QByteArray bytes(qint64 count) { const QByteArray b = take(count); if (b.size() != count) failed_ = true; return b; }

    // XLUnicodeString (16-bit count) or ShortXLUnicodeString (8-bit count); rich-text runs and
    // phonetic data after the characters are skipped.
    QString string(bool shortCount)
    {
        const quint16 count = shortCount ? u8() : u16();
        const quint8 flags = u8();
        const quint16 runs = (flags & 0x08) ? u16() : 0;
        const quint32 extension = (flags & 0x04) ? u32() : 0;
        QString text = characters(count, flags & 0x01);
        skip(qint64(runs) * 4);
        skip(extension);
        return text;
    }

private:
    QString characters(quint16 count, bool wide)
    {
        QString text;
        text.reserve(count);
        while (text.size() < count && !failed_) {
            if (at_ >= data_.size()) {
                // The characters go on in the next CONTINUE record, after a flags byte.
                if (!advance())
                    return text;
                wide = u8() & 0x01;
            }
            const qsizetype left = count - text.size();
            if (wide) {
                const qsizetype available = std::min<qsizetype>(left, (data_.size() - at_) / 2);
                if (available == 0) { failed_ = true; return text; }
                text += QString::fromUtf16(reinterpret_cast<const char16_t*>(data_.constData() + at_), available);
                at_ += available * 2;
            } else {
                const qsizetype available = std::min<qsizetype>(left, data_.size() - at_);
                text += QString::fromLatin1(data_.constData() + at_, available);
                at_ += available;
            }
        }
        return text;
    }

    bool advance()
    {
        if (!continues_ || next_ >= continues_->size()) {
            failed_ = true;
            return false;
        }
        data_ = (*continues_)[next_++];
        at_ = 0;
        return true;
    }

    QByteArray take(qint64 count)
    {
        QByteArray bytes;
        while (bytes.size() < count) {
            if (at_ >= data_.size() && !advance())
                return bytes;
            const qsizetype step = std::min<qsizetype>(count - bytes.size(), data_.size() - at_);
            bytes.append(data_.constData() + at_, step);
            at_ += step;
        }
        return bytes;
    }

    QByteArray data_;
    const std::vector<QByteArray>* continues_;
    size_t next_ = 0;
    qsizetype at_ = 0;
    bool failed_ = false;
};
