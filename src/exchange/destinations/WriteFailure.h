#pragma once

#include <QString>

// Why writing a file failed, in words for the user, from the system's error number
// (errno): a full disk, a file size limit, a folder without write permission, a
// read-only disk, a missing folder.
namespace WriteFailure {

QString describe(int error, const QString& path);

} // namespace WriteFailure
