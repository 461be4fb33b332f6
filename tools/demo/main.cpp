// The demo gallery: pictures of what the library draws, written as PNG files
// with an index page.
//
//   quorvel-demo OUTPUT_DIR
#include <cstdio>
#include <string>

#include "canvas.h"
#include "quorvel_host.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))) {
        std::printf(
            "usage: quorvel-demo [OUTPUT_DIR]\n"
            "Renders the gallery (PNG pictures and index.html) into OUTPUT_DIR (default: the current "
            "folder), which must exist.\n");
        return argc > 2 ? 2 : 0;
    }
    QRV_Init_Lib();
    qrvhost::Install();  // fonts live in the host's memory
    std::string error;
    if (!gallery::LoadFonts(&error)) {
        std::fprintf(stderr, "quorvel-demo: cannot make the gallery fonts: %s\n", error.c_str());
        QRV_Close_Lib();
        return 1;
    }
    gallery::SetOutputDir(argc == 2 ? argv[1] : ".");
    gallery::PrimitiveGallery();
    gallery::PolygonGallery();
    gallery::BlitGallery();
    gallery::EffectBlitGallery();
    gallery::SurfaceEffectGallery();
    gallery::TextGallery();
    gallery::CollisionGallery();
    gallery::CameraGallery();
    gallery::AnimationGallery();
    const bool ok = gallery::Finish();
    gallery::FreeFonts();
    QRV_Close_Lib();
    return ok ? 0 : 1;
}
