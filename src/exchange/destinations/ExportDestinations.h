#pragma once

class Connection;

// Registers the export writers (export database, dBase III, Excel) with a connection, so
// "select * into [...]" statements run on it reach them.
namespace ExportDestinations {

void registerAll(Connection& connection);

} // namespace ExportDestinations
