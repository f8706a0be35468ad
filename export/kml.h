// The map exports: the regions of a table (the values of its first
// variable) placed on a map by a coordinates file named after the first
// variable's MAP in the directory `dir` (dir + "/" + MAP + ".txt"; the
// value codes name its sections).
//
// kmlsave and kmlsave2 write KML documents, which are UTF-8: every text
// taken from the table or the coordinates file (Windows-1252 bytes) is
// converted on the way out. kmlsave3 writes an HTML page that keeps the
// bytes as they are.
//
// An output that names the input itself is refused with 400 (the cells
// are read from the input while the output is written). Never throw.
#pragma once

#include <string>

namespace vt {

// One extruded box per region and series value, its height the cell
// scaled to the largest cell. 0; 400 a file cannot be opened or written;
// the reader's code; 602 no first variable; 702 two or more variables
// after the first have several values; 701 the first variable has no MAP;
// 700 the coordinates file cannot be opened.
int kmlsave(const std::string& infile, const std::string& outfile, const std::string& dir) noexcept;

// One point per region whose balloon shows all the region's cells as a
// table; `symbols` gives the texts of the data symbols. 0; 400; the
// reader's code; 701; 700.
int kmlsave2(const std::string& infile, const std::string& outfile, const std::string& dir,
             const std::string& symbols) noexcept;

// An HTML map page with a marker per region that has a position, each
// opening a table of the region's cells. Results as kmlsave2.
int kmlsave3(const std::string& infile, const std::string& outfile, const std::string& dir,
             const std::string& symbols) noexcept;

}  // namespace vt
