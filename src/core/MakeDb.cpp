// Builds the databases Marquel is delivered with into a folder, leaving existing ones alone.
#include "DbError.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: marquel_makedb <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        if (Schema::ensureMainDatabase(folder.filePath(Schema::MainDatabaseName)))
            std::printf("created %s\n", qPrintable(folder.filePath(Schema::MainDatabaseName)));
        if (Schema::ensureExportDatabase(folder.filePath(Schema::ExportDatabaseName)))
            std::printf("created %s\n", qPrintable(folder.filePath(Schema::ExportDatabaseName)));
    } catch (const DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
