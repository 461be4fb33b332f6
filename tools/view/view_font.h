// The viewer's font: DejaVu Sans converted at start-up where FreeType and the
// font file are there, else the tools' small block letters, both as CRF fonts.
#pragma once

namespace qrvview {

// A CRF font (free it with qrvttf::FreeCrfFont), or null when even the built-in one
// cannot be made. Needs the host services installed (qrvhost::Install).
void* MakeViewFont(const char* ttfPath, int pixelSize);

// The built-in font: the tools' 3 x 5 letters at twice their size.
void* MakeBlockFont();

}  // namespace qrvview
