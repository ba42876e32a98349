#include "core/DbError.h"
#include "core/TextFile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace TextFile;

namespace {

const QString chineseText = QStringLiteral("营销计划：天津地区\r\n直邮 1000 份，预计反馈 50 份。");

QByteArray encoded(const char* encoding, const QString& text)
{
    QStringEncoder encoder(encoding);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    return encoder.encode(text);
}

class TextFileTest : public ::testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir folder_;
};

} // namespace

TEST_F(TextFileTest, ReadsGb18030FilesOfChineseWindowsPrograms)
{
    const QByteArray bytes = encoded("GB18030", chineseText);
    ASSERT_NE(bytes, chineseText.toUtf8());
    EXPECT_EQ(readTextFile(writeFile("plan.txt", bytes)), chineseText);
}

TEST_F(TextFileTest, ReadsUtf8FilesWithOrWithoutMark)
{
    EXPECT_EQ(readTextFile(writeFile("plain.txt", chineseText.toUtf8())), chineseText);
    const QByteArray marked = QByteArray("\xEF\xBB\xBF") + chineseText.toUtf8();
    EXPECT_EQ(readTextFile(writeFile("marked.txt", marked)), chineseText);
}

TEST_F(TextFileTest, ReadsUtf16FilesByTheirMark)
{
    const QByteArray little = QByteArray("\xFF\xFE", 2) + encoded("UTF-16LE", chineseText);
    const QByteArray big = QByteArray("\xFE\xFF", 2) + encoded("UTF-16BE", chineseText);
    EXPECT_EQ(readTextFile(writeFile("little.txt", little)), chineseText);
    EXPECT_EQ(readTextFile(writeFile("big.txt", big)), chineseText);
}

TEST_F(TextFileTest, EmptyFileGivesEmptyText)
{
    EXPECT_EQ(readTextFile(writeFile("empty.txt", QByteArray())), "");
}

TEST(DecodeTextTest, PlainAsciiAndGb18030OnlyCharacters)
{
    EXPECT_EQ(decodeText("Plan 12\n"), "Plan 12\n");
    // The euro sign and a four-byte character exist in GB18030 but not in GBK.
    const QString rare = QStringLiteral("€ \U00020000");
    EXPECT_EQ(decodeText(encoded("GB18030", rare)), rare);
}

TEST(ReadTextFileTest, MissingFileOrFolderThrowsAChineseMessage)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("无此文件.txt");
    try {
        readTextFile(missing);
        FAIL() << "no error for a missing file";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("无法打开文件“%1”。").arg(missing));
    }
    EXPECT_THROW(readTextFile(folder.path()), DbError);
}
