// quorvel-view: the demo scenes live in a window. Every frame is drawn by the
// library into a buffer of the chosen pixel format, converted into the
// window's format with QRV_Blit and paced by DX_WaitVBL.
#include <SDL.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/png_writer.h"
#include "common/ttf_to_crf.h"
#include "quorvel.h"
#include "quorvel_host.h"
#include "scenes.h"
#include "view_font.h"

namespace {

using qrvview::Buffer;

constexpr int kWidth = 640, kHeight = 480;
constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

const char kUsage[] =
    "usage: quorvel-view [--frames N] [--scene K] [--format F] [--screenshot-dir DIR]\n"
    "\n"
    "Shows the demo scenes live: 1 R2D2, 2 a rotating textured quad, 3 scrolling\n"
    "text, 4 a tile map.\n"
    "\n"
    "  --frames N           quit after N frames (default: run until Escape)\n"
    "  --scene K            start with scene K, 1..4 (default 1)\n"
    "  --format F           draw in pixel format F, 1..5: 5-6-5, 5-5-5, 24-bit,\n"
    "                       32-bit, 32-bit ARGB (default 4)\n"
    "  --screenshot-dir DIR write every frame as it reached the window, as\n"
    "                       DIR/view-sK-fF-NNNN.png\n"
    "\n"
    "Keys: 1-4 pick a scene, Right or Space the next one, Left the previous one;\n"
    "F cycles the pixel format (Shift+F backwards), Shift/Ctrl/Alt+1..5 picks one;\n"
    "M switches between the library's two sets of pixel rules (its MMX state);\n"
    "Escape quits.\n";

struct Options {
    long frames = 0;
    int scene = 0;
    int format = QRV_FORMAT_32;
    std::string screenshotDir;
};

bool ParseNumber(const char* text, long low, long high, long* out) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    *out = v;
    return true;
}

// 0 to run, 1 after --help, 2 for bad arguments (with a message).
int ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 1;
        }
        if (arg != "--frames" && arg != "--scene" && arg != "--format" && arg != "--screenshot-dir") {
            std::fprintf(stderr, "quorvel-view: unknown option '%s'\n%s", argv[i], kUsage);
            return 2;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "quorvel-view: %s needs a value\n", argv[i]);
            return 2;
        }
        const char* value = argv[++i];
        long v = 0;
        if (arg == "--screenshot-dir") {
            o->screenshotDir = value;
            if (o->screenshotDir.empty()) {
                std::fprintf(stderr, "quorvel-view: --screenshot-dir needs a directory\n");
                return 2;
            }
        } else if (arg == "--frames" && ParseNumber(value, 1, LONG_MAX, &v)) {
            o->frames = v;
        } else if (arg == "--scene" && ParseNumber(value, 1, qrvview::kSceneCount, &v)) {
            o->scene = static_cast<int>(v) - 1;
        } else if (arg == "--format" && ParseNumber(value, 1, 5, &v)) {
            o->format = static_cast<int>(v);
        } else {
            std::fprintf(stderr,
                         "quorvel-view: bad value '%s' for %s (frames: 1 or more, scene: 1..%d, format: 1..5)\n", value,
                         arg.c_str(), qrvview::kSceneCount);
            return 2;
        }
    }
    return 0;
}

// The library's code for an SDL surface format, 0 when it has none.
int LibraryFormat(Uint32 sdlFormat) {
    switch (sdlFormat) {
        case SDL_PIXELFORMAT_RGB565: return QRV_FORMAT_565;
        case SDL_PIXELFORMAT_RGB555: return QRV_FORMAT_555;
        case SDL_PIXELFORMAT_RGB24: return QRV_FORMAT_24;  // red byte first, as the library's 24-bit pixels
        case SDL_PIXELFORMAT_RGB888:
        case SDL_PIXELFORMAT_ARGB8888: return QRV_FORMAT_32;
        default: return 0;
    }
}

// The frame as it reached the surface, whatever its format.
bool WriteScreenshot(SDL_Surface* surface, const std::string& path) {
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    qrvtools::RgbImage image(surface->w, surface->h);
    const int bpp = surface->format->BytesPerPixel;
    for (int y = 0; y < surface->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
        for (int x = 0; x < surface->w; ++x) {
            Uint32 pixel = 0;
            std::memcpy(&pixel, row + x * bpp, bpp);  // little-endian hosts only, like the library's pixels
            Uint8 r, g, b;
            SDL_GetRGB(pixel, surface->format, &r, &g, &b);
            image.Set(x, y, uint32_t(r) << 16 | uint32_t(g) << 8 | b);
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return qrvtools::WritePng(path, image);
}

// The bar along the top: scene, format, pixel rules and the times of the
// last frame (smoothed, so that they can be read).
void DrawStatus(void* font, int scene, int format, double frameMs, double drawMs, int width) {
    QRV_Box(0, 0, width, 22, 0x000000, QRV_MODE_HALF | QRV_STYLE_FILLED);
    if (!font) return;
    char line[160];
    std::snprintf(line, sizeof line, "%d/%d %s | %s | mmx %d | frame %.1f ms | draw %.2f ms", scene + 1,
                  qrvview::kSceneCount, qrvview::SceneName(scene), qrvview::FormatName(format), QRV_GetMMXState(),
                  frameMs, drawMs);
    const int y = (22 - CRF_GetMaxChrSize(font, 1)) / 2;
    CRF_Draw(font, line, static_cast<int32_t>(std::strlen(line)), 6, y, 0xFFFFFFFF);
}

struct Viewer {
    Options options;
    SDL_Window* window = nullptr;
    SDL_Surface* staging = nullptr;  // for window formats the library has no code for
    Buffer frame;
    qrvview::SceneState scenes;
    long sceneFrames[qrvview::kSceneCount] = {};
    int scene = 0;
    bool quit = false;

    void HandleKey(const SDL_KeyboardEvent& key) {
        const SDL_Keycode k = key.keysym.sym;
        const bool modified = (key.keysym.mod & (KMOD_SHIFT | KMOD_CTRL | KMOD_ALT)) != 0;
        int format = frame.format;
        if (k == SDLK_ESCAPE) quit = true;
        else if (k >= SDLK_1 && k <= SDLK_5 && modified) format = static_cast<int>(k - SDLK_1) + 1;
        else if (k >= SDLK_1 && static_cast<int>(k - SDLK_1) < qrvview::kSceneCount)
            scene = static_cast<int>(k - SDLK_1);
        else if (k == SDLK_RIGHT || k == SDLK_SPACE) scene = (scene + 1) % qrvview::kSceneCount;
        else if (k == SDLK_LEFT) scene = (scene + qrvview::kSceneCount - 1) % qrvview::kSceneCount;
        else if (k == SDLK_f) format = (format + (key.keysym.mod & KMOD_SHIFT ? 3 : 0)) % 5 + 1;
        else if (k == SDLK_m) QRV_SetMMXState(QRV_GetMMXState() ? 0 : 1);
        if (format != frame.format) frame.Reset(kWidth, kHeight, format);
    }

    // Converts the frame into the window's pixels.
    bool Present() {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (!surface) return false;
        int format = LibraryFormat(surface->format->format);
        SDL_Surface* target = surface;
        if (!format) {
            if (!staging) staging = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
            if (!staging) return false;
            target = staging;
            format = QRV_FORMAT_32;
        }
        if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return false;
        frame.SelectAsSource();
        QRV_SetBuffer(target->pixels, target->pitch, format);
        QRV_SetBufferViewPort(0, 0, target->w, target->h);
        QRV_Blit(0, 0, frame.width, frame.height, 0, 0, 0, 0);
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
        if (target == staging && SDL_BlitSurface(staging, nullptr, surface, nullptr) != 0) return false;
        return SDL_UpdateWindowSurface(window) == 0;
    }

    int Run() {
        frame.Reset(kWidth, kHeight, options.format);
        scene = options.scene;
        if (!options.screenshotDir.empty()) {
            std::error_code error;
            std::filesystem::create_directories(options.screenshotDir, error);
            if (error) {
                std::fprintf(stderr, "quorvel-view: cannot create %s: %s\n", options.screenshotDir.c_str(),
                             error.message().c_str());
                return 1;
            }
        }
        const double toMs = 1000.0 / static_cast<double>(SDL_GetPerformanceFrequency());
        double frameMs = 1000.0 / 60, drawMs = 0;
        Uint64 lastPresent = SDL_GetPerformanceCounter(), firstPresent = 0;
        double totalDrawMs = 0;
        long count = 0;
        for (; !quit && (options.frames == 0 || count < options.frames); ++count) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) {
                if (event.type == SDL_QUIT) quit = true;
                else if (event.type == SDL_KEYDOWN) HandleKey(event.key);
            }
            if (quit) break;

            const Uint64 start = SDL_GetPerformanceCounter();
            qrvview::DrawScene(scenes, scene, static_cast<int>(sceneFrames[scene]++ & 0x3FFFFFFF), frame);
            const double thisDraw = static_cast<double>(SDL_GetPerformanceCounter() - start) * toMs;
            drawMs += (thisDraw - drawMs) * 0.1;
            totalDrawMs += thisDraw;
            DrawStatus(scenes.font, scene, frame.format, frameMs, drawMs, frame.width);
            if (!Present()) {
                std::fprintf(stderr, "quorvel-view: cannot draw into the window: %s\n", SDL_GetError());
                return 1;
            }
            if (!options.screenshotDir.empty()) {
                char name[64];
                std::snprintf(name, sizeof name, "/view-s%d-f%d-%04ld.png", scene + 1, frame.format, count);
                const std::string path = options.screenshotDir + name;
                if (!WriteScreenshot(SDL_GetWindowSurface(window), path)) {
                    std::fprintf(stderr, "quorvel-view: cannot write %s\n", path.c_str());
                    return 1;
                }
            }
            DX_WaitVBL();
            const Uint64 now = SDL_GetPerformanceCounter();
            const double interval = static_cast<double>(now - lastPresent) * toMs;
            // The first interval holds the window's start-up; the second starts the average.
            if (count == 0) firstPresent = now;
            if (count == 1) frameMs = interval;
            else if (count > 1) frameMs += (interval - frameMs) * 0.1;
            lastPresent = now;
        }
        if (count > 1)
            std::printf("quorvel-view: %ld frames, %.2f ms a frame, %.2f ms of it drawing\n", count,
                        static_cast<double>(lastPresent - firstPresent) * toMs / static_cast<double>(count - 1),
                        totalDrawMs / static_cast<double>(count));
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    Viewer viewer;
    if (const int parsed = ParseOptions(argc, argv, &viewer.options)) return parsed == 1 ? 0 : 2;

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "quorvel-view: no display: %s\n", SDL_GetError());
        return 1;
    }
    viewer.window = SDL_CreateWindow("Quorvel viewer", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight,
                                     0);
    if (!viewer.window) {
        std::fprintf(stderr, "quorvel-view: cannot open a window: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    QRV_Init_Lib();
    qrvhost::Install();
    viewer.scenes.font = qrvview::MakeViewFont(kFontPath, 15);
    const int status = viewer.Run();
    qrvview::ReleaseScenes(viewer.scenes);
    qrvttf::FreeCrfFont(viewer.scenes.font);
    QRV_Close_Lib();
    if (viewer.staging) SDL_FreeSurface(viewer.staging);
    SDL_DestroyWindow(viewer.window);
    SDL_Quit();
    return status;
}
