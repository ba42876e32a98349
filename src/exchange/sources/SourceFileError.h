#pragma once

#include "core/DbError.h"

#include <QString>

// The messages a reader gives when a file cannot be read: each names the file and the reason,
// in the form "无法读取文件“<path>”：<reason>".
namespace SourceFileError {

DbError unreadable(const QString& path, const QString& reason);
DbError corrupt(const QString& path);                 // damaged, truncated or not of its kind
DbError missing(const QString& path);
DbError cannotOpen(const QString& path);              // locked or no permission
DbError empty(const QString& path);
DbError unknownFormat(const QString& path);
DbError passwordProtected(const QString& path);       // saved with a password to open it
DbError unknownTable(const QString& path, const QString& table);

} // namespace SourceFileError
