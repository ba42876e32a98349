// Every sample file other programs wrote and the project's own samples, and damaged copies of
// each, through the import's readers: each loads, or is refused with a message naming it. CI also runs this built with
// AddressSanitizer, which turns any read outside a buffer into a failure.
#include "exchange_sources/ReadEverything.h"
#include "exchange_sources/SourceTestFiles.h"

#include "exchange/sources/IsolatedRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

constexpr int CopiesPerFile = 12;
const QStringList MemoSuffixes{QStringLiteral("dbt"), QStringLiteral("fpt")};

// Every file of a folder and the folders below it, in name order.
QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// The sample files other programs wrote (when their folder is there) and the project's own
// Excel books of kinds no writer at hand makes (Excel 5/95, empty texts at a sheet's edges,
// a book saved with a password).
QStringList sampleFiles()
{
    const QString folder = qEnvironmentVariable("MARQUEL_FIXTURES");
    QStringList files = filesUnder(QStringLiteral(MARQUEL_SOURCE_DIR "/tests/corpus/samples"));
    if (!folder.isEmpty() && QDir(folder).exists())
        files += filesUnder(folder);
    else
        std::printf("[ corpus ] sample files folder not found (MARQUEL_FIXTURES): only the project's own samples\n");
    return files;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The memo file beside a dBase table (same name, .dbt or .fpt in any letter case).
QString memoFileOf(const QString& path)
{
    const QFileInfo table(path);
    for (const QFileInfo& other : table.dir().entryInfoList({table.completeBaseName() + QStringLiteral(".*")}, QDir::Files)) {
        if (MemoSuffixes.contains(other.suffix().toLower()))
            return other.filePath();
    }
    return {};
}

} // namespace

TEST(Corpus, EverySampleFileLoadsOrIsRefusedWithAMessage)
{
    const QStringList files = sampleFiles();
    int tables = 0, refused = 0;
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        QString refusal;
        if (readEverything(path, &refusal) == ReadOutcome::Table) {
            ++tables;
        } else {
            ++refused;
            std::printf("[ corpus ] refused: %s\n", qPrintable(refusal));
        }
    }
    std::printf("[ corpus ] %lld files: %d loaded, %d refused with a message\n", static_cast<long long>(files.size()),
                tables, refused);
    EXPECT_GT(tables, refused);
}

TEST(Corpus, DamagedCopiesOfEverySampleFileLoadOrAreRefusedWithAMessage)
{
    const QStringList files = sampleFiles();
    // A copy libmdb or FreeXL loops on is given up sooner than the program would.
    IsolatedRun::setStallLimit(2000);
    SourceTestFiles copies;
    std::mt19937 random(20261208);
    int tables = 0, refused = 0;
    for (const QString& path : files) {
        const QFileInfo original(path);
        if (MemoSuffixes.contains(original.suffix().toLower()))
            continue;   // read with their tables
        const QByteArray bytes = contents(path);
        const QString memo = memoFileOf(path);
        for (int i = 0; i < CopiesPerFile; ++i) {
            const QString base = QStringLiteral("copy%1").arg(i);
            const QString copy = copies.write(base + QLatin1Char('.') + original.suffix(), damaged(bytes, random));
            if (!memo.isEmpty())
                copies.write(base + QLatin1Char('.') + QFileInfo(memo).suffix(), damaged(contents(memo), random));
            SCOPED_TRACE((path + QStringLiteral(" damaged copy %1").arg(i)).toStdString());
            (readEverything(copy) == ReadOutcome::Table ? tables : refused) += 1;
            QFile::remove(copy);
        }
    }
    IsolatedRun::setStallLimit(20000);
    std::printf("[ corpus ] damaged copies: %d loaded, %d refused with a message\n", tables, refused);
}
