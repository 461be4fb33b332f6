// Builds a CRF font from a TrueType or OpenType file with FreeType.
//
//     QRV_Init_Lib();
//     qrvhost::Install();                     // fonts live in the host's memory
//     qrvttf::TtfOptions options;
//     options.fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
//     std::string error;
//     void* font = qrvttf::BuildCrfFont(options, &error);   // null: see error
//     CRF_Draw(font, "Hello", 0, x, y, 0xFF202020);
//     qrvttf::FreeCrfFont(font);
//
// Character codes are Unicode code points; the font's index of a character is
// its code (so codes 0..255 are Latin-1, what 8-bit texts draw). Glyphs are
// rendered by FreeType with its default hinting and 8-bit antialiasing at the
// pixel size (the em height), then compressed by the library.
//
// Every glyph box has the font's height: row `baseline` of the box is the
// baseline, so drawing at y puts the baseline at y + baseline. Column
// `penColumn` of every box is the pen position, so drawing at x starts the
// pen at x + penColumn (penColumn > 0 only when some glyph's ink reaches left
// of its pen, as 'j' or 'T' may). Per character:
//   underhang = columns from the pen to the first ink column (FreeType's left
//               bearing, negative when the ink starts left of the pen),
//   width     = ink columns,
//   overhang  = advance - underhang - width (negative when ink passes the advance),
// so the advance is FreeType's hinted advance in whole pixels. The first two
// of the five words that the library keeps verbatim in each info record hold
// the baseline and the pen column, so that they survive a save and load.
// Characters the face lacks, and the blank ones (space), have no glyph; a
// lacking one also has no advance.
#pragma once

#include <cstdint>
#include <string>

#include "quorvel.h"

namespace qrvttf {

struct TtfOptions {
    std::string fontPath;
    int faceIndex = 0;        // face within a collection file
    int pixelSize = 16;       // 1..kMaxPixelSize
    int32_t first = 32;       // range of character codes, both inclusive, within 0..65535
    int32_t last = 126;
    int depth = 8;            // 8: coverage bytes; 32: colour with coverage as alpha
    uint32_t colour = 0xFFFFFFFFu;  // depth 32: the glyphs' 0xAARRGGBB, alpha scaled by coverage
    int32_t drawMode = QRV_FONT_BLEND;
    uint32_t backdrop = 0xFF000000u;
};

constexpr int kMaxPixelSize = 512;

// Index of the words in QrvChrInfo::user that BuildCrfFont fills.
enum { kUserBaseline = 0, kUserPenColumn = 1 };

struct CrfFontSummary {
    int baseline = 0;    // box row of the baseline
    int penColumn = 0;   // box column of the pen
    int height = 0;      // box height, the font's max character height
    int lineHeight = 0;  // FreeType's line spacing at this size
    int glyphs = 0;      // characters with a glyph
    int missing = 0;     // codes of the range the face has no character for
};

// The font (a CRF font handle), or null with a message in *error (when error
// is not null) for a font file that cannot be read, a pixel size, depth or
// range out of bounds, a range without any character of the face, or failed
// host memory. The library must be initialised and a host installed.
void* BuildCrfFont(const TtfOptions& options, std::string* error, CrfFontSummary* summary = nullptr);

// Releases a font from BuildCrfFont (or CRF_Load); null is ignored.
void FreeCrfFont(void* font);

}  // namespace qrvttf
