#pragma once

#include <functional>

class Connection;

// How many round trips `work` makes to the server of `connection`, read from libpq's trace of
// the messages themselves: each run of messages sent that is answered counts once. -1 on a file.
int roundTripsOf(Connection& connection, const std::function<void()>& work);
