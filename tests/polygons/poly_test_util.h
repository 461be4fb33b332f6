// Helpers for the polygon and shape suites.
#pragma once

#include <string>
#include <vector>

#include "support/canvas.h"

namespace qrvtest {

// The canvas as text, one string per row: '#' where a pixel is not 0.
inline std::vector<std::string> Picture(Canvas& c) {
    std::vector<std::string> rows;
    for (int y = 0; y < c.height; ++y) {
        std::string row;
        for (int x = 0; x < c.width; ++x) row += c.Get(x, y) != 0 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// The columns [first, end) of row y that are set, as "first..last", or "" when none.
inline std::string RowExtent(Canvas& c, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < c.width; ++x) {
        if (c.Get(x, y) == 0) continue;
        if (first < 0) first = x;
        last = x;
    }
    return first < 0 ? "" : std::to_string(first) + ".." + std::to_string(last);
}

}  // namespace qrvtest
