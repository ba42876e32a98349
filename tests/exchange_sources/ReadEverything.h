#pragma once

#include <QByteArray>
#include <QString>
#include <random>

// Reading files from elsewhere as a user would, for the robustness and corpus tests.

// A damaged copy of the bytes, the damage chosen by the generator: flipped bytes, a header
// field set to an extreme value, a cut, an inserted or repeated run of bytes.
QByteArray damaged(const QByteArray& original, std::mt19937& random);

// Lists the file's tables and loads each, reading the first rows' values. A file that cannot
// be read must say so with a DbError naming it (checked here); answers how it ended and puts
// the message, if any, into refusal.
enum class ReadOutcome { Table, Error };
ReadOutcome readEverything(const QString& path, QString* refusal = nullptr);
