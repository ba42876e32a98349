// Mending the text layer of a PDF file: texts that do not pair with the glyphs, and files
// that are no PDF, leave the file exactly as it was.
#include "PdfPages.h"
#include "controls/UiSetup.h"
#include "reports/PdfTextLayer.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writePdf(const QString& path, const QStringList& texts)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QPainter painter(&printer);
    painter.setFont(QFont(QStringLiteral("宋体"), 12));
    int y = 400;
    for (const QString& text : texts) {
        painter.drawText(400, y, text);
        y += 400;
    }
}

TEST(PdfTextLayerTest, TextsThatDoNotPairWithTheGlyphsLeaveTheFileAsWritten)
{
    UiSetup::registerFontSubstitutes();
    QTemporaryDir dir;
    const QString path = dir.filePath("page.pdf");
    const QStringList drawn = {QStringLiteral("序号：R-1"), QStringLiteral("户 目 0123456789")};
    writePdf(path, drawn);
    const QByteArray written = bytesOf(path);

    EXPECT_FALSE(PdfTextLayer::mend(path, {drawn, drawn}).isEmpty());   // two pages named, one printed
    EXPECT_FALSE(PdfTextLayer::mend(path, {{QStringLiteral("序号")}}).isEmpty());   // fewer characters than glyphs
    EXPECT_EQ(bytesOf(path), written);

    QFile text(dir.filePath("note.pdf"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a PDF");
    text.close();
    EXPECT_FALSE(PdfTextLayer::mend(text.fileName(), {drawn}).isEmpty());
    EXPECT_EQ(bytesOf(text.fileName()), QByteArray("not a PDF"));

    EXPECT_EQ(PdfTextLayer::mend(path, {drawn}), QString());
    EXPECT_EQ(withoutBlanks(pdfPageTexts(path).value(0)), withoutBlanks(drawn.join(QString())));
}

} // namespace
