#pragma once

#include <QString>

// Why a seat could not reach its server, in the user's words, with what to do about it. libpq's
// own message (English, and quoting the address, password and all) is never shown: it is only
// read here to tell which of the usual causes it is.
namespace PgConnectProblem {

QString describe(const QString& libpqMessage, const QString& shownAddress);

} // namespace PgConnectProblem
