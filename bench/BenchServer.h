#pragma once

#include <QString>

// A database of a benchmark's own on the server given by `serverUri` (made anew, the program's
// tables in it), named after the benchmark and its process. Returns its URI.
QString freshBenchDatabase(const QString& serverUri, const QString& benchName);
