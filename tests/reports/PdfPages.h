#pragma once

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

// The number of pages of a PDF file: its page objects ("/Type /Page", not "/Pages").
// -1 when the file cannot be read or is no PDF.
inline int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("%PDF-"))
        return -1;
    static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(bytes).count(pageObject));
}

inline QString popplerOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text a reader copies from each page of a PDF file, as poppler reads it back
// (pdftotext, keeping the layout); empty when it cannot be read.
inline QStringList pdfPageTexts(const QString& path)
{
    QStringList pages = popplerOutput(QStringLiteral("pdftotext"),
                                      {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                       QStringLiteral("-")})
                            .split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The size of the first page of a PDF file in points (pdfinfo); empty when unknown.
inline QSizeF pdfPageSize(const QString& path)
{
    static const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    const QRegularExpressionMatch m = size.match(popplerOutput(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// A text without its blanks: poppler lays out the blanks between ideographs by itself
// (it reads "反 馈 统 计 表" as "反馈统计表").
inline QString withoutBlanks(QString text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.remove(blanks);
}

// The pieces of a page's text between the table's bars and on lines of their own, without
// their blanks: what a reader finds when looking for one cell.
inline QStringList pdfCells(const QString& pageText)
{
    QStringList cells;
    for (const QString& line : pageText.split(u'\n')) {
        cells += withoutBlanks(line);
        for (const QString& piece : line.split(u'|'))
            cells += withoutBlanks(piece);
    }
    return cells;
}
