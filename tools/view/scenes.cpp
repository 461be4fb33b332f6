#include "scenes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qrvview {
namespace {

constexpr int kTextureSize = 128;
constexpr int kTile = 32;
constexpr int kMapCols = 64, kMapRows = 48;
constexpr uint32_t kTileKey = 0xFF00FF;

enum { kWater, kSand, kGrass, kRock, kCoin, kFlower, kCrate, kTileCount };

constexpr double kPi = 3.14159265358979323846;

uint32_t Hash(uint32_t x, uint32_t y) {
    uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    return h ^ (h >> 13);
}

// A colour on a hue circle (degrees), three cosines a third of a turn apart,
// scaled to `level`: for slowly cycling backgrounds and text.
uint32_t Hue(int degrees, int level) {
    const double a = degrees * kPi / 180;
    auto channel = [&](double phase) { return static_cast<int>(level * (0.5 + 0.5 * std::cos(a + phase))); };
    return ZK_RGB(channel(0), channel(-2 * kPi / 3), channel(2 * kPi / 3));
}

void DrawText(void* font, const char* text, int x, int y, uint32_t colour, int mode) {
    if (!font) return;
    const int previous = CRF_GetDrawMode(font);
    CRF_DrawMode(font, mode);
    // Blended text is as opaque as the ink's alpha byte says.
    CRF_Draw(font, text, static_cast<int32_t>(std::strlen(text)), x, y, colour | 0xFF000000u);
    CRF_DrawMode(font, previous);
}

int FontHeight(void* font) { return font ? CRF_GetMaxChrSize(font, 1) : 0; }

void BuildTexture(SceneState& s, int format) {
    s.texture.Reset(kTextureSize, kTextureSize, format);
    s.texture.SelectAsDestination();
    const int n = kTextureSize;
    QRV_ShadeBox(0, 0, n, n, 0xFF4020, 0xFFD040, 0x2040FF, 0x20C080, 0);
    for (int cy = 0; cy < 8; ++cy)
        for (int cx = (cy & 1); cx < 8; cx += 2)
            QRV_Box(cx * 16, cy * 16, cx * 16 + 16, cy * 16 + 16, 0x000000, QRV_MODE_HALF | QRV_STYLE_FILLED);
    QRV_Circle(n / 2, n / 2, 40, 0xFFFFFF, QRV_MODE_ADD | QRV_STYLE_FILLED);
    QRV_Circle(n / 2, n / 2, 40, 0x101010, QRV_STYLE_OUTLINE);
    QRV_Box(0, 0, n, n, 0xFFFFFF, QRV_STYLE_OUTLINE);
    QRV_Box(1, 1, n - 1, n - 1, 0x000000, QRV_STYLE_OUTLINE);
    if (s.font) {
        const char* label = "Quorvel";
        const int w = CRF_TextWidth(s.font, label, 7);
        DrawText(s.font, label, (n - w) / 2, (n - FontHeight(s.font)) / 2, 0x202040, QRV_FONT_BLEND);
    }
    if (s.textureDesc) QRV_FreeSurfaceDesc(s.textureDesc);
    s.textureDesc = QRV_AllocSurfaceDesc(format, s.texture.pixels.data(), s.texture.pitch, n, n);
}

void DrawTile(int tile) {
    const int top = tile * kTile, bottom = top + kTile;
    switch (tile) {
        case kWater:
            QRV_ShadeBox(0, top, kTile, bottom, 0x1040A0, 0x1850B8, 0x0C3480, 0x1448A8, 0);
            for (int i = 0; i < 3; ++i) {
                const int y = top + 6 + i * 10;
                QRV_WriteLine(3 + i * 5, y, 12 + i * 5, y - 2, 0x80B8FF, 1);
                QRV_WriteLine(12 + i * 5, y - 2, 20 + i * 5, y, 0x80B8FF, 1);
            }
            break;
        case kSand:
            QRV_Box(0, top, kTile, bottom, 0xD8C078, QRV_STYLE_FILLED);
            for (uint32_t i = 0; i < 24; ++i) {
                const uint32_t h = Hash(i, 7);
                QRV_Dot(int(h % kTile), top + int(h >> 8) % kTile, 0xA08850, 1);
            }
            break;
        case kGrass:
            QRV_Box(0, top, kTile, bottom, 0x3C9A3C, QRV_STYLE_FILLED);
            for (uint32_t i = 0; i < 14; ++i) {
                const uint32_t h = Hash(i, 11);
                const int x = int(h % (kTile - 2)) + 1, y = top + 4 + int(h >> 8) % (kTile - 6);
                QRV_WriteLine(x, y, x + 1, y - 3, 0x246E24, 1);
            }
            break;
        case kRock:
            QRV_Box(0, top, kTile, bottom, 0x808088, QRV_STYLE_FILLED);
            for (int row = 0; row < 4; ++row) {
                const int y = top + row * 8, shift = (row & 1) * 8;
                QRV_WriteLine(0, y, kTile - 1, y, 0x505058, 1);
                for (int x = shift; x < kTile; x += 16) QRV_WriteLine(x, y, x, y + 7, 0x505058, 1);
            }
            break;
        case kCoin:
            QRV_Box(0, top, kTile, bottom, kTileKey, QRV_STYLE_FILLED);
            QRV_Circle(16, top + 16, 9, 0xF0C020, QRV_STYLE_FILLED);
            QRV_Circle(16, top + 16, 9, 0x906000, QRV_STYLE_OUTLINE);
            QRV_Circle(13, top + 13, 2, 0xFFF8C0, QRV_STYLE_FILLED);
            break;
        case kFlower:
            QRV_Box(0, top, kTile, bottom, kTileKey, QRV_STYLE_FILLED);
            QRV_WriteLine(16, top + 16, 16, top + 27, 0x206020, 1);
            for (int k = 0; k < 5; ++k) {
                const double a = k * 2 * kPi / 5;
                QRV_Circle(16 + int(6 * std::cos(a)), top + 13 + int(6 * std::sin(a)), 4, 0xF060A0,
                           QRV_STYLE_FILLED);
            }
            QRV_Circle(16, top + 13, 3, 0xFFE040, QRV_STYLE_FILLED);
            break;
        case kCrate:
            QRV_Box(0, top, kTile, bottom, kTileKey, QRV_STYLE_FILLED);
            QRV_Box(6, top + 6, 26, top + 26, 0xA06830, QRV_STYLE_FILLED);
            QRV_Box(6, top + 6, 26, top + 26, 0x583010, QRV_STYLE_OUTLINE);
            QRV_WriteLine(7, top + 7, 24, top + 24, 0x583010, 1);
            QRV_WriteLine(24, top + 7, 7, top + 24, 0x583010, 1);
            break;
    }
}

void BuildTileMap(SceneState& s, int format) {
    s.tileSheet.Reset(kTile, kTile * kTileCount, format);
    s.tileSheet.SelectAsDestination();
    for (int t = 0; t < kTileCount; ++t) DrawTile(t);

    // Ground tiles are drawn solid and have no records; the items are keyed
    // sub-rectangles.
    s.itemRecords.assign(kTileCount, QrvTileRecord{-1, 0, 0, 0, 0});
    s.itemRecords[kCoin] = {1, 6, 6, 27, 27};
    s.itemRecords[kFlower] = {1, 8, 6, 25, 28};
    s.itemRecords[kCrate] = {1, 6, 6, 26, 26};

    if (!s.ground.empty()) return;
    s.ground.resize(kMapCols * kMapRows);
    s.items.assign(kMapCols * kMapRows, -1);
    for (int y = 0; y < kMapRows; ++y)
        for (int x = 0; x < kMapCols; ++x) {
            const double h = std::sin(x * 0.21) + std::sin(y * 0.17) + 0.8 * std::sin((x + 2 * y) * 0.09);
            const int tile = h < -1.0 ? kWater : h < -0.6 ? kSand : h < 1.2 ? kGrass : kRock;
            s.ground[y * kMapCols + x] = tile;
            const uint32_t r = Hash(x, y);
            if (tile == kGrass && r % 11 == 0) s.items[y * kMapCols + x] = kCoin + int(r >> 16) % 3;
        }
}

void Rebuild(SceneState& s, int format) {
    BuildTexture(s, format);
    BuildTileMap(s, format);
    if (!s.solidTpd) s.solidTpd = TPD_Alloc();
    if (!s.blendTpd) {
        s.blendTpd = TPD_Alloc();
        TPD_SetOutputEffect(s.blendTpd, QRV_TPD_OUTPUT_BLEND, 0, 150);
    }
    s.builtFormat = format;
}

void DrawSquares(SceneState& s, int, Buffer& target) {
    if (s.squares.width != target.width || s.squares.height != target.height)
        s.squares.Reset(target.width, target.height, QRV_FORMAT_32);
    s.squares.SelectAsDestination();
    QRV_Box(0, 0, s.squares.width, s.squares.height, 0x101828, QRV_STYLE_FILLED);
    QRV_R2D2(s.squares.pixels.data(), 0, s.squares.width, s.squares.height);
    s.squares.SelectAsSource();
    target.SelectAsDestination();
    QRV_Blit(0, 0, s.squares.width, s.squares.height, 0, 0, 0, 0);
}

void Corners(double cx, double cy, double radius, double degrees, int32_t xy[4][2]) {
    for (int k = 0; k < 4; ++k) {
        const double a = (degrees + 225 + 90 * k) * kPi / 180;  // top-left first, clockwise
        xy[k][0] = static_cast<int32_t>(std::lround(cx + radius * std::cos(a)));
        xy[k][1] = static_cast<int32_t>(std::lround(cy + radius * std::sin(a)));
    }
}

void DrawQuad(const SceneState& s, const int32_t xy[4][2], void* tpd) {
    constexpr int e = kTextureSize - 1;
    QRV_QuadT(s.textureDesc, xy[0][0], xy[0][1], 0, 0, xy[1][0], xy[1][1], e, 0, xy[2][0], xy[2][1], e, e, xy[3][0],
              xy[3][1], 0, e, tpd);
}

void DrawTexturedQuad(SceneState& s, int frame, Buffer& target) {
    const int w = target.width, h = target.height;
    QRV_ShadeBox(0, 0, w, h, Hue(frame, 90), Hue(frame + 90, 60), Hue(frame + 180, 40), Hue(frame + 270, 70), 0);
    int32_t xy[4][2];
    const double size = std::min(w, h) * (0.36 + 0.06 * std::sin(frame * 0.05));
    Corners(w / 2.0, h / 2.0, size, frame * 1.5, xy);
    DrawQuad(s, xy, s.solidTpd);
    const double orbit = frame * 0.02;
    Corners(w / 2.0 + w * 0.3 * std::cos(orbit), h / 2.0 + h * 0.3 * std::sin(orbit), size * 0.45, -frame * 3.0, xy);
    DrawQuad(s, xy, s.blendTpd);
}

const char* const kScrollLines[] = {
    "Quorvel draws into pixel buffers that its caller owns.",
    "Pixels, lines, boxes, circles and ellipses",
    "in ten ink draw modes and five pixel formats;",
    "flat, Gouraud and textured convex polygons;",
    "a blitter with format conversion, colour keys",
    "and per-pixel alpha; tile maps;",
    "surface effects and scaling;",
    "compressed raster fonts, like this one;",
    "span collision, scene capture and replay.",
    "",
    "Every result is bit-exact,",
    "and the same on every platform.",
    "",
    "Keys: 1-4 or arrows and space switch scenes,",
    "F or Shift+1..5 switch the pixel format,",
    "M switches the pixel rules, Escape quits.",
};

void DrawScrollText(SceneState& s, int frame, Buffer& target) {
    const int w = target.width, h = target.height;
    QRV_ShadeBox(0, 0, w, h, 0x101030, 0x102040, 0x301020, 0x201030, 0);
    void* font = s.font;
    if (!font) return;
    const int lineHeight = FontHeight(font) + 6;
    constexpr int kLines = sizeof kScrollLines / sizeof kScrollLines[0];
    // Lines rise one pixel a frame, the first starting below the title; once
    // the last one has left the top they come in again from below.
    const int travel = kLines * lineHeight + h, start = h - 90;
    const int top = h - (frame + start) % travel;
    for (int i = 0; i < kLines; ++i) {
        const char* line = kScrollLines[i];
        const int x = (w - CRF_TextWidth(font, line, static_cast<int32_t>(std::strlen(line)))) / 2;
        DrawText(font, line, x, top + i * lineHeight, Hue(i * 25 + frame, 255), QRV_FONT_BLEND);
    }
    // A title on its own backdrop and a ticker running right to left.
    const uint32_t backdrop = CRF_GetBackdropColour(font);
    CRF_BackdropColour(font, 0x402060);
    DrawText(font, " The live viewer ", 12, 32, 0xFFE080, QRV_FONT_BACKDROP);
    CRF_BackdropColour(font, backdrop);
    const char* ticker = "five pixel formats  -  ten ink draw modes  -  one library";
    const int tickerWidth = CRF_TextWidth(font, ticker, static_cast<int32_t>(std::strlen(ticker)));
    const int y = h - lineHeight - 4;
    QRV_Box(0, y - 3, w, h, 0x000000, QRV_MODE_HALF | QRV_STYLE_FILLED);
    DrawText(font, ticker, w - (frame * 3 + w / 2) % (w + tickerWidth), y, 0xFFFFFF, QRV_FONT_SOLID);
}

void DrawTileMap(SceneState& s, int frame, Buffer& target) {
    const int w = target.width, h = target.height;
    const int worldW = kMapCols * kTile, worldH = kMapRows * kTile;
    const int camX = static_cast<int>((worldW - w) * (0.5 + 0.5 * std::sin(frame * 0.011)));
    const int camY = static_cast<int>((worldH - h) * (0.5 + 0.5 * std::sin(frame * 0.017 + 1.0)));
    const int col0 = camX / kTile, row0 = camY / kTile;
    const int cols = std::min(w / kTile + 2, kMapCols - col0), rows = std::min(h / kTile + 2, kMapRows - row0);
    s.tileSheet.SelectAsSource();
    target.SelectAsDestination();
    QRV_Box(0, 0, w, h, 0x000000, QRV_STYLE_FILLED);
    const std::vector<int32_t>* layers[] = {&s.ground, &s.items};
    for (const std::vector<int32_t>* layer : layers) {
        s.view.resize(static_cast<size_t>(cols) * rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) s.view[r * cols + c] = (*layer)[(row0 + r) * kMapCols + col0 + c];
        const QrvTileRecord* records = layer == &s.items ? s.itemRecords.data() : nullptr;
        QRV_Blit_Tile_Array(records, s.view.data(), cols, rows, kTile, kTile, col0 * kTile - camX, row0 * kTile - camY,
                            kTileKey);
    }
}

}  // namespace

int BytesPerPixel(int format) { return format <= 2 ? 2 : format == 3 ? 3 : 4; }

void Buffer::Reset(int w, int h, int fmt) {
    width = w;
    height = h;
    format = fmt;
    pitch = w * BytesPerPixel(fmt);
    pixels.assign(static_cast<size_t>(pitch) * h, 0);
}

void Buffer::SelectAsDestination() {
    QRV_SetBuffer(pixels.data(), pitch, format);
    QRV_SetBufferViewPort(0, 0, width, height);
}

void Buffer::SelectAsSource() { QRV_SetSrcBuffer(pixels.data(), pitch, format); }

const char* SceneName(int scene) {
    static const char* const kNames[kSceneCount] = {"R2D2", "Textured quad", "Scrolling text", "Tile map"};
    return scene >= 0 && scene < kSceneCount ? kNames[scene] : "?";
}

const char* FormatName(int format) {
    static const char* const kNames[] = {"?", "5-6-5", "5-5-5", "24-bit", "32-bit", "32-bit ARGB"};
    return format >= 1 && format <= 5 ? kNames[format] : kNames[0];
}

void DrawScene(SceneState& state, int scene, int frame, Buffer& target) {
    if (state.builtFormat != target.format) Rebuild(state, target.format);
    target.SelectAsDestination();
    switch (scene) {
        case kSceneR2D2: DrawSquares(state, frame, target); break;
        case kSceneTexturedQuad: DrawTexturedQuad(state, frame, target); break;
        case kSceneScrollText: DrawScrollText(state, frame, target); break;
        case kSceneTileMap: DrawTileMap(state, frame, target); break;
    }
    target.SelectAsDestination();
}

void ReleaseScenes(SceneState& state) {
    if (state.textureDesc) QRV_FreeSurfaceDesc(state.textureDesc);
    if (state.solidTpd) TPD_Free(state.solidTpd);
    if (state.blendTpd) TPD_Free(state.blendTpd);
    state.textureDesc = nullptr;
    state.solidTpd = state.blendTpd = nullptr;
    state.builtFormat = 0;
}

}  // namespace qrvview
