#include "ReadEverything.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/SourceFiles.h"

#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

QByteArray damaged(const QByteArray& original, std::mt19937& random)
{
    QByteArray bytes = original;
    if (bytes.isEmpty())
        return bytes;
    auto at = [&](qsizetype limit) { return qsizetype(std::uniform_int_distribution<qint64>(0, std::max<qint64>(0, limit - 1))(random)); };
    // Headers hold the sizes and counts readers trust most; aim a third of the damage there.
    auto position = [&] { return random() % 3 == 0 ? at(std::min<qsizetype>(bytes.size(), 2048)) : at(bytes.size()); };
    switch (random() % 5) {
    case 0: {
        const int flips = 1 + int(random() % 16);
        for (int i = 0; i < flips; ++i)
            bytes[position()] = char(random());
        break;
    }
    case 1: {
        static const quint32 extremes[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0u, 0x0000FFFFu, 0x00010000u};
        const quint32 value = extremes[random() % 6];
        const qsizetype where = position();
        for (int i = 0; i < 4 && where + i < bytes.size(); ++i)
            bytes[where + i] = char((value >> (8 * i)) & 0xFF);
        break;
    }
    case 2:
        bytes.truncate(at(bytes.size()));
        break;
    case 3: {
        QByteArray noise(qsizetype(1 + random() % 64), '\0');
        for (auto& c : noise)
            c = char(random());
        bytes.insert(position(), noise);
        break;
    }
    default: {
        const qsizetype from = at(bytes.size());
        const QByteArray run = bytes.mid(from, qsizetype(1 + random() % 512));
        bytes.insert(position(), run);
        break;
    }
    }
    return bytes;
}

ReadOutcome readEverything(const QString& path, QString* refusal)
{
    try {
        const QStringList tables = SourceFiles::tableNames(path);
        for (const QString& table : tables) {
            const auto connection = SourceFiles::load(path, table);
            if (!connection)
                ADD_FAILURE() << "a load without cancel gave nothing: " << path.toStdString();
            Recordset rows(connection, QStringLiteral("Select * From \"%1\"").arg(SourceFiles::sourceTableName(path, table)));
            for (int r = 0; r < std::min(rows.recordCount(), 50); ++r) {
                rows.setAbsolutePosition(r + 1);
                for (int c = 0; c < rows.fieldCount(); ++c)
                    rows.text(c);
            }
        }
        return ReadOutcome::Table;
    } catch (const DbError& error) {
        const QString& message = error.description();
        if (refusal)
            *refusal = message;
        EXPECT_TRUE(message.contains(QFileInfo(path).completeBaseName())) << message.toStdString();
        // Said in Chinese, not a library's own words alone.
        EXPECT_TRUE(std::any_of(message.cbegin(), message.cend(), [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; }))
            << message.toStdString();
        return ReadOutcome::Error;
    }
}

