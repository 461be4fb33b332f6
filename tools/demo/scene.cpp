// A captured scene replayed under a moving camera, and the R2D2 animation as a contact sheet.
#include <cmath>
#include <string>
#include <vector>

#include "canvas.h"

namespace gallery {
namespace {

constexpr int kWorldW = 1000, kWorldH = 240;
constexpr int kViewW = 220, kViewH = 170;

struct Scene {
    std::vector<QrvSceneRecord> records;
    Surface texture{32, 32, QRV_FORMAT_32};
    void* tpd = TPD_Alloc();

    Scene() {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                texture.Row32(y)[x] = ((x / 8 + y / 8) & 1) ? 0xF0F0F0 : ZK_RGB(200, x * 8, 60);
        records.reserve(64);
        for (int i = 0; i < 10; ++i) {
            const int x = 20 + i * 96, y = 30 + int(60 * std::sin(i * 0.9)) + 60;
            QrvSceneRecord* rec = Add();
            switch (i % 6) {
                case 0: Scene_Write_Capture_Box(rec, QRV_STYLE_FILLED, x, y, x + 70, y + 44, 0, 0x3070C0); break;
                case 1:
                    Scene_Write_Capture_ShadeBox(rec, 0, x, y, x + 80, y + 50, 0, 0xFF0000, 0xFFFF00, 0x0000FF,
                                                 0x00FF00);
                    break;
                case 2: Scene_Write_Capture_Circle(rec, QRV_STYLE_FILLED, x + 35, y + 30, 0, 32, 0xE08020); break;
                case 3:
                    Scene_Write_Capture_TriG(rec, 0, x, y + 60, 0xFF4040, x + 40, y - 10, 0x40FF40, x + 84, y + 54,
                                             0x4040FF, 0, 2);
                    break;
                case 4: Scene_Write_Capture_Ellipse(rec, QRV_STYLE_FILLED, x + 40, y + 25, 0, 44, 22, 0xC040C0); break;
                default:
                    Scene_Write_Capture_QuadT(rec, 0, x, y, 0, 0, x + 70, y + 10, 31, 0, x + 60, y + 70, 31, 31, x - 6,
                                              y + 56, 0, 31, 0, 0, 2);
                    break;
            }
        }
        // A ground line of quads and a row of small boxes across the whole world.
        for (int x = 0; x < kWorldW; x += 100)
            Scene_Write_Capture_Quad(Add(), 0, x, 210, x + 100, 200, x + 100, 240, x, 240, 0, 0x305030, 2);
        for (int x = 10; x < kWorldW; x += 40)
            Scene_Write_Capture_QuadG(Add(), 0, x, 180, 0xFFFFFF, x + 20, 180, 0x808080, x + 20, 196, 0x202020, x, 196,
                                      0x808080, 0, 2);
    }
    ~Scene() { TPD_Free(tpd); }

    QrvSceneRecord* Add() {
        records.emplace_back();
        return &records.back();
    }

    // Replays every record that the camera can see; returns how many were drawn.
    int Render(int camX, int camY) {
        int drawn = 0;
        for (const QrvSceneRecord& rec : records) {
            if (!Scene_Render_Check_Object_Visible(&rec, camX, camY)) continue;
            ++drawn;
            switch (rec.kind) {
                case QRV_SCENE_BOX: Scene_Render_Captured_Box(&rec, camX, camY); break;
                case QRV_SCENE_SHADE_BOX: Scene_Render_Captured_ShadeBox(&rec, camX, camY); break;
                case QRV_SCENE_CIRCLE: Scene_Render_Captured_Circle(&rec, camX, camY); break;
                case QRV_SCENE_ELLIPSE: Scene_Render_Captured_Ellipse(&rec, camX, camY); break;
                case QRV_SCENE_TRI:
                case QRV_SCENE_QUAD: Scene_Render_Captured_Polygon(&rec, camX, camY); break;
                case QRV_SCENE_TRI_GOURAUD:
                case QRV_SCENE_QUAD_GOURAUD: Scene_Render_Captured_PolygonG(&rec, camX, camY); break;
                case QRV_SCENE_TEXTURED_POLY:
                    Scene_Render_Captured_PolygonT(&rec, camX, camY, texture.Desc(), tpd);
                    break;
                default: --drawn; break;
            }
        }
        return drawn;
    }
};

void CameraPicture() {
    Scene scene;
    constexpr int kFrames = 8, kColumns = 4;
    const int overviewW = kWorldW / 2, overviewH = kWorldH / 2;
    const Grid grid{10, kTitleBand + overviewH + 48, kViewW, kViewH + 20, 12};
    Picture picture(grid.Width(kColumns), grid.Height(kFrames / kColumns), "A captured scene under a moving camera");

    // The whole world at half size, with the camera's views marked on it.
    Surface world(kWorldW, kWorldH, QRV_FORMAT_32);
    world.Select();
    QRV_Box(0, 0, kWorldW, kWorldH, 0x141C28, QRV_STYLE_FILLED);
    scene.Render(0, 0);
    auto camera = [](int frame) { return std::pair<int, int>{frame * 110, int(50 + 20 * std::sin(frame * 0.8))}; };
    for (int f = 0; f < kFrames; ++f) {
        const auto [cx, cy] = camera(f);
        QRV_Box(cx, cy, cx + kViewW - 1, cy + kViewH - 1, 0xFFFFFF, QRV_STYLE_OUTLINE);
    }
    Surface overview(overviewW, overviewH, QRV_FORMAT_32);
    QRV_ScaleSurface(world.Desc(), overview.Desc(), 1);
    picture.Text(grid.left, kTitleBand + 2, "the world (1000 x 240, half size) and the camera's views");
    picture.Paste(overview, grid.left, kTitleBand + 20);

    Surface frame(kViewW, kViewH, QRV_FORMAT_565);
    for (int f = 0; f < kFrames; ++f) {
        const auto [cx, cy] = camera(f);
        frame.Select();
        QRV_Box(0, 0, kViewW, kViewH, 0x141C28, QRV_STYLE_FILLED);
        const int drawn = scene.Render(cx, cy);
        const int x = grid.X(f % kColumns), y = grid.Y(f / kColumns);
        picture.Paste(frame, x, y);
        picture.Text(x, y + kViewH + 3,
                     "camera (" + std::to_string(cx) + ", " + std::to_string(cy) + "): " + std::to_string(drawn) +
                         " records drawn");
    }
    picture.Save("camera",
                 "Scene records (boxes, a shaded box, circles, ellipses, flat, Gouraud and textured "
                 "polygons) captured once in world coordinates, then culled and replayed into a 5-6-5 "
                 "view as the camera moves right.");
}

void AnimationPicture() {
    constexpr int kW = 1280, kH = 600, kFrames = 60, kColumns = 6;
    constexpr int kThumbW = 256, kThumbH = 120;
    constexpr int kDetailH = 200;  // a strip of the last frame at full size, below the sheet
    const Grid grid{10, kTitleBand + 8, kThumbW, kThumbH + 18, 6};
    const int detailY = grid.Height(kFrames / kColumns) + 14;
    Picture picture(grid.Width(kColumns), detailY + kDetailH + 10, "R2D2: 60 frames of 4096 squares");
    Surface screen(kW, kH, QRV_FORMAT_32), thumb(kThumbW, kThumbH, QRV_FORMAT_32);
    for (int f = 0; f < kFrames; ++f) {
        screen.Select();
        QRV_Box(0, 0, kW, kH, 0x000000, QRV_STYLE_FILLED);
        QRV_R2D2(screen.pixels.data(), 0, kW, kH);
        QRV_ScaleSurface(screen.Desc(), thumb.Desc(), 1);
        const int x = grid.X(f % kColumns), y = grid.Y(f / kColumns);
        picture.Paste(thumb, x, y);
        picture.Text(x, y + kThumbH + 1, std::to_string(f + 1), 0xFF909090);
    }
    picture.Text(grid.left, detailY - 18, "frame 60, the top-left corner at full size");
    screen.SelectAsSource();
    picture.canvas.Select();
    QRV_Blit(0, 0, picture.canvas.width - 2 * grid.left, kDetailH, grid.left, detailY, 0, 0);
    picture.Save("r2d2",
                 "The first 60 steps of the library's R2D2 load test on a 1280 x 600 buffer (cleared before "
                 "each step), scaled down by the library's bilinear scaler; below, a strip of the last frame as drawn: "
                 "every square is a 50 % mix with what lies under it.");
}

}  // namespace

void CameraGallery() { CameraPicture(); }
void AnimationGallery() { AnimationPicture(); }

}  // namespace gallery
