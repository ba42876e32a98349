#include "SourceFileWriter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>

#include <shapefil.h>
#include <stdexcept>
#include <xlsxwriter.h>

namespace SourceFileWriter {

namespace {

QByteArray gb18030(const QString& text)
{
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        throw std::runtime_error("no GB18030 encoder");
    return encoder.encode(text);
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

void writeCsv(const QString& path, const QString& text, bool inGb18030)
{
    writeBytes(path, inGb18030 ? gb18030(text) : text.toUtf8());
}

void writeDbf(const QString& path, const QStringList& names, const QList<int>& widths, const Rows& rows)
{
    DBFHandle dbf = DBFCreateEx(QFile::encodeName(path).constData(), "LDID/77");
    if (!dbf)
        throw std::runtime_error("cannot create " + path.toStdString());
    for (int i = 0; i < names.size(); ++i)
        DBFAddField(dbf, names[i].toLatin1().constData(), FTString, widths[i], 0);
    for (int row = 0; row < rows.size(); ++row) {
        for (int i = 0; i < names.size(); ++i) {
            const QVariant& value = rows[row][i];
            if (value.isNull())
                DBFWriteNULLAttribute(dbf, row, i);
            else
                DBFWriteStringAttribute(dbf, row, i, gb18030(value.toString()).constData());
        }
    }
    DBFClose(dbf);
}

void writeXlsx(const QString& path, const QList<Sheet>& sheets)
{
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    if (!book)
        throw std::runtime_error("cannot create " + path.toStdString());
    for (const Sheet& sheet : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        for (int c = 0; c < sheet.header.size(); ++c)
            worksheet_write_string(ws, 0, lxw_col_t(c), sheet.header[c].toUtf8().constData(), nullptr);
        for (int r = 0; r < sheet.rows.size(); ++r) {
            for (int c = 0; c < sheet.rows[r].size(); ++c) {
                const QVariant& value = sheet.rows[r][c];
                const auto row = lxw_row_t(r + 1);
                const auto col = lxw_col_t(c);
                if (value.isNull())
                    continue;
                if (value.typeId() == QMetaType::QString)
                    worksheet_write_string(ws, row, col, value.toString().toUtf8().constData(), nullptr);
                else
                    worksheet_write_number(ws, row, col, value.toDouble(), nullptr);
            }
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("cannot write " + path.toStdString());
}

void writeRandomBytes(const QString& path, int size)
{
    QRandomGenerator generator(20261208);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    writeBytes(path, bytes);
}

} // namespace SourceFileWriter
