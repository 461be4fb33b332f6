// The viewer's scenes. Each draws one frame into a buffer of any pixel format
// through the library alone; the window side (SDL) never sees them.
#pragma once

#include <cstdint>
#include <vector>

#include "quorvel.h"

namespace qrvview {

int BytesPerPixel(int format);

// A pixel buffer the viewer owns, in one of the library's formats.
struct Buffer {
    int width = 0, height = 0, format = 0, pitch = 0;
    std::vector<uint8_t> pixels;

    void Reset(int w, int h, int fmt);
    // Makes this the destination, its viewport the whole buffer.
    void SelectAsDestination();
    void SelectAsSource();
};

enum { kSceneR2D2 = 0, kSceneTexturedQuad, kSceneScrollText, kSceneTileMap, kSceneCount };

const char* SceneName(int scene);
const char* FormatName(int format);

// What the scenes build once per pixel format (textures, tile sheets) and
// keep between frames. The font is the caller's.
struct SceneState {
    void* font = nullptr;
    int builtFormat = 0;

    Buffer squares;  // QRV_R2D2 draws 32-bit pixels only
    Buffer texture;
    QrvSurfaceDesc* textureDesc = nullptr;
    void* solidTpd = nullptr;
    void* blendTpd = nullptr;
    Buffer tileSheet;
    std::vector<int32_t> ground, items, view;
    std::vector<QrvTileRecord> itemRecords;
};

// Draws frame `frame` of `scene` into target, which is left selected as the
// destination. Rebuilds the per-format parts when target's format changed.
void DrawScene(SceneState& state, int scene, int frame, Buffer& target);

// Releases what the state allocated through the library (not the font).
void ReleaseScenes(SceneState& state);

}  // namespace qrvview
