#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QList>
#include <QString>

// Writes a dBase III table (.dbf without memo) record by record, every write checked:
// the header with the field descriptions, the records, the end-of-file mark, and at the
// end the record count in the header. Empty values are written as dBase programs read
// them back as empty: blanks for texts, "*" for numbers, zeros for dates.
class DbaseTableFile {
public:
    struct Field {
        QByteArray name;   // at most 10 bytes
        char type = 'C';   // C, N or D
        int width = 0;
        int decimals = 0;
    };

    // Creates the file at `path`; failures name `shownPath`, the file the user chose.
    DbaseTableFile(const QString& path, const QString& shownPath, const QList<Field>& fields, int languageDriver);

    // Values of the record being filled; a field not set stays empty.
    void setText(int field, const QByteArray& bytes);   // cut to the field's width
    bool setNumber(int field, double value);              // false when it does not fit
    bool setInteger(int field, qint64 value);             // false when it does not fit
    void setDate(int field, const QDate& date);
    void setNull(int field);

    // Writes the record and starts the next, empty one.
    void addRecord();
    // Ends the table. Throws DbError saying why when a write failed.
    void finish();

private:
    void put(int field, const QByteArray& bytes, bool rightAligned);
    void flush();
    [[noreturn]] void fail();

    QFile file_;
    QString shownPath_;
    QList<Field> fields_;
    QList<int> offsets_;
    QByteArray blankRecord_;
    QByteArray record_;
    QByteArray buffer_;
    quint32 records_ = 0;
};
