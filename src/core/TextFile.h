#pragma once

#include <QByteArray>
#include <QString>

// Plain text files the user loads (a plan's content): written by Chinese Windows
// programs in code page 936 / GB18030, or by newer ones in UTF-8 or UTF-16.
namespace TextFile {

// The text of a file's bytes: UTF-16 when a UTF-16 byte order mark starts them;
// UTF-8 (mark removed) when they are valid UTF-8 or start with the UTF-8 mark;
// otherwise GB18030, the superset of code page 936.
QString decodeText(const QByteArray& bytes);

// Reads and decodes a whole file; throws DbError "无法打开文件“path”。" when it
// cannot be read.
QString readTextFile(const QString& path);

} // namespace TextFile
