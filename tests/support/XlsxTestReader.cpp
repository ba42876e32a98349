#include "XlsxTestReader.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <stdexcept>
#include <zip.h>

namespace XlsxTestReader {

namespace {

struct Archive {
    zip_t* zip = nullptr;
    explicit Archive(const QString& path)
    {
        int error = 0;
        zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
        if (!zip)
            throw std::runtime_error("not a zip archive");
    }
    ~Archive() { zip_discard(zip); }
};

int columnOf(const QString& reference)
{
    int column = 0;
    for (QChar c : reference) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
    }
    return column - 1;
}

QString relationshipTarget(const QString& path, const QString& id)
{
    QXmlStreamReader xml(entry(path, QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.attributes().value(QLatin1String("Id")) == id)
            return QStringLiteral("xl/") + xml.attributes().value(QLatin1String("Target")).toString();
    }
    return QString();
}

QStringList sharedStrings(const QString& path)
{
    QStringList strings;
    if (!entryNames(path).contains(QStringLiteral("xl/sharedStrings.xml")))
        return strings;
    QXmlStreamReader xml(entry(path, QStringLiteral("xl/sharedStrings.xml")));
    QString current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            current.clear();
        else if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            current += xml.readElementText();
        else if (xml.isEndElement() && xml.name() == QLatin1String("si"))
            strings << current;
    }
    return strings;
}

} // namespace

QStringList entryNames(const QString& path)
{
    Archive archive(path);
    QStringList names;
    const zip_int64_t count = zip_get_num_entries(archive.zip, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        names << QString::fromUtf8(zip_get_name(archive.zip, zip_uint64_t(i), 0));
    return names;
}

QByteArray entry(const QString& path, const QString& name)
{
    Archive archive(path);
    zip_stat_t stat;
    if (zip_stat(archive.zip, name.toUtf8().constData(), 0, &stat) != 0)
        return QByteArray();
    zip_file_t* file = zip_fopen(archive.zip, name.toUtf8().constData(), 0);
    QByteArray data(qsizetype(stat.size), '\0');
    zip_fread(file, data.data(), stat.size);
    zip_fclose(file);
    return data;
}

QStringList sheetNames(const QString& path)
{
    QStringList names;
    QXmlStreamReader xml(entry(path, QStringLiteral("xl/workbook.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("sheet"))
            names << xml.attributes().value(QLatin1String("name")).toString();
    }
    return names;
}

QList<QStringList> sheetRows(const QString& path, const QString& sheetName)
{
    QString id;
    {
        QXmlStreamReader xml(entry(path, QStringLiteral("xl/workbook.xml")));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("sheet")
                && xml.attributes().value(QLatin1String("name")) == sheetName)
                for (const QXmlStreamAttribute& attribute : xml.attributes())
                    if (attribute.name() == QLatin1String("id"))
                        id = attribute.value().toString();
        }
    }
    const QStringList shared = sharedStrings(path);
    QList<QStringList> rows;
    QXmlStreamReader xml(entry(path, relationshipTarget(path, id)));
    QString type;
    int column = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("row")) {
            rows.append(QStringList());
            column = -1;
        } else if (xml.name() == QLatin1String("c")) {
            type = xml.attributes().value(QLatin1String("t")).toString();
            // A cell without a reference stands right after the one before it.
            const QString reference = xml.attributes().value(QLatin1String("r")).toString();
            column = reference.isEmpty() ? column + 1 : columnOf(reference);
            while (rows.last().size() <= column)
                rows.last() << QString();
        } else if (xml.name() == QLatin1String("v")) {
            const QString value = xml.readElementText();
            rows.last()[column] = type == QLatin1String("s") ? shared.value(value.toInt()) : value;
        } else if (xml.name() == QLatin1String("t")) {
            rows.last()[column] += xml.readElementText();
        }
    }
    return rows;
}

} // namespace XlsxTestReader
