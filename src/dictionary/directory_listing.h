// The listing of the current working directory: the one place that knows how the
// platform enumerates a directory.
//
// Promise: visit is called once with the name of every entry of the current directory
// (as the platform spells it, no directory prefix), in the platform's own order,
// unsorted; the listing is closed before the call returns. A directory that cannot be
// listed yields no names.
#pragma once

#include <functional>

void list_directory_entries(const std::function<void(const char* name)>& visit);
