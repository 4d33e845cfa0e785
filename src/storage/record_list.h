#pragma once
// The growable in-memory lists of records the main window owns.

#include <vector>

template <class T> using RecordList = std::vector<T>;
