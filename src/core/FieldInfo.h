#pragma once

#include <QString>
#include <QVariant>

// What a recordset knows of one of its fields: its name, its kind of value and the size
// the table declares for it. It also says how a value is stored and read back.
struct FieldInfo {
    enum class Kind { Text, LongText, Integer, Real, Date, Binary, Any };

    QString name;
    QString declaredType;   // as the table declares it, e.g. TEXT(50)
    Kind kind = Kind::Any;
    int declaredSize = 0;   // characters for texts, bytes for numbers and dates
    bool writable = false;  // a plain column of the recordset's one table
    QVariant defaultValue;  // what a new row holds until a value is given

    // A counter: a whole-number field of a table that starts at 0.
    bool isCounter() const { return kind == Kind::Integer && writable && defaultValue == QVariant(qint64(0)); }

    static FieldInfo fromDeclaration(const QString& name, const QString& declaredType);
    // A column's DEFAULT as written in its declaration (a number or a quoted text) as a value.
    static QVariant defaultFromDeclaration(const QString& declared);

    // The value as it is kept in the database. Throws DbError when the value does not
    // suit the field: text too long, a number or date that does not read as one.
    QVariant toStored(const QVariant& value) const;

    // The value as the program sees it: dates as QDate (QDateTime when a time is kept).
    QVariant fromStored(const QVariant& stored) const;
};

// Reads "2026-12-07", "2026/12/7", "2026.12.7", "2026年12月7日", each optionally followed by a
// time "9:05" or "9:05:30". Invalid when the text is no such date.
QDateTime parseDateText(const QString& text);
