// Pictures of the gallery: pixel surfaces in any format, a 32-bit picture they are
// pasted into through the library's own blit (which converts the formats), labels
// drawn with the library's text routines, and the PNG files and index page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorvel.h"

namespace gallery {

constexpr int kFormatCount = 5;
extern const int kFormats[kFormatCount];
extern const char* const kFormatNames[kFormatCount];  // "5-6-5", ...
extern const char* const kFormatTags[kFormatCount];   // "565", ... (for file names)

struct InkMode {
    int mode;
    const char* name;
};
constexpr int kInkModeCount = 10;
extern const InkMode kInkModes[kInkModeCount];

int BytesPerPixel(int format);

// Caller-owned pixels of one format, as the library's destination, source or texture.
struct Surface {
    int width = 0, height = 0, format = 0, pitch = 0;
    std::vector<uint8_t> pixels;

    Surface(int w, int h, int fmt);
    ~Surface();
    Surface(Surface&& other) noexcept;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface& operator=(Surface&&) = delete;

    // Destination buffer, viewport = the whole surface.
    void Select() const;
    void SelectAsSource() const;
    void SelectAsBlendSource() const;
    // A surface descriptor over these pixels (made once, freed with the surface).
    QrvSurfaceDesc* Desc();
    // The library converts: a 32-bit picture of the same size is blitted in.
    void CopyFrom(const Surface& source);
    uint32_t* Row32(int y) { return reinterpret_cast<uint32_t*>(pixels.data() + static_cast<size_t>(y) * pitch); }

private:
    QrvSurfaceDesc* desc_ = nullptr;
};

// A 32-bit surface of the hue-and-brightness ramp that cells draw over.
Surface MakeRamp(int w, int h);
// A 32-bit surface of a grey checkerboard (to show transparency).
Surface MakeChecker(int w, int h, int square);

// Regular rows and columns of cells below a title band, with room for labels.
struct Grid {
    int left, top, cellW, cellH, gap;
    int X(int col) const { return left + col * (cellW + gap); }
    int Y(int row) const { return top + row * (cellH + gap); }
    int Width(int cols) const { return X(cols) - gap + 12; }
    int Height(int rows) const { return Y(rows) - gap + 8; }
};

enum class Font { Label, Title };
constexpr int kTitleBand = 34;  // height of the title strip at the top of every picture

struct Picture {
    Surface canvas;  // format 4

    Picture(int w, int h, const std::string& title);
    // Blits the surface (any format) into the picture at (x, y), converting it.
    void Paste(const Surface& s, int x, int y);
    void Text(int x, int y, const std::string& text, uint32_t colour = 0xFFE8E8E8, Font font = Font::Label);
    // Column headings above and row headings left of a grid's cells.
    void ColumnLabels(const Grid& grid, const std::vector<std::string>& names);
    void RowLabels(const Grid& grid, const std::vector<std::string>& names);
    // Writes <name>.png into the output folder and lists it on the index page.
    void Save(const std::string& name, const std::string& caption);

private:
    std::string title_;
};

// Draws text into the current destination buffer with a gallery font.
void DrawText(int x, int y, const std::string& text, uint32_t colour, Font font = Font::Label);
int TextWidth(const std::string& text, Font font = Font::Label);

// Fonts converted from DejaVu Sans; false with a message when the font cannot be read.
bool LoadFonts(std::string* error);
void FreeFonts();
// DejaVu Sans at a pixel size and depth (8, or 32 with glyphs of `colour`), null with a message on failure.
void* MakeFont(int pixelSize, int depth, uint32_t colour, std::string* error);
void FreeFont(void* font);

void SetOutputDir(const std::string& dir);
// Reports a picture that could not be made; the run then ends with a failure.
void Fail(const std::string& message);
// Writes index.html listing every saved picture; false when a picture or the page failed.
bool Finish();

// The pictures, one routine per subject.
void PrimitiveGallery();
void PolygonGallery();
void BlitGallery();
void EffectBlitGallery();
void SurfaceEffectGallery();
void TextGallery();
void CollisionGallery();
void CameraGallery();
void AnimationGallery();

}  // namespace gallery
