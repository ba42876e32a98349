#include "ExportDestinations.h"

#include "DbaseDestination.h"
#include "ExcelDestination.h"
#include "ExportDatabaseDestination.h"
#include "core/Connection.h"

namespace ExportDestinations {

void registerAll(Connection& connection)
{
    connection.addDestination(std::make_shared<ExportDatabaseDestination>());
    connection.addDestination(std::make_shared<DbaseDestination>());
    connection.addDestination(std::make_shared<ExcelDestination>());
}

} // namespace ExportDestinations
