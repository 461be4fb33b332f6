// Checks a rendered gallery: every picture that index.html shows exists and
// decodes as a PNG with more than a handful of colours (a blank or merely
// titled canvas has only a few).
//
//   gallery_check DIR MIN_PICTURES
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr size_t kMinColours = 200;

struct Image {
    unsigned width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

bool ReadPng(const std::string& path, Image* image, std::string* why) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *why = "missing";
        return false;
    }
    png_byte signature[8] = {};
    if (std::fread(signature, 1, 8, f) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        std::fclose(f);
        *why = "not a PNG file";
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_sig_bytes(png, 8);
        png_read_info(png, info);
        // Any PNG becomes 8-bit RGB.
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_strip_alpha(png);
        png_set_gray_to_rgb(png);
        png_read_update_info(png, info);
        image->width = png_get_image_width(png, info);
        image->height = png_get_image_height(png, info);
        if (png_get_rowbytes(png, info) == image->width * 3) {
            image->rgb.resize(static_cast<size_t>(image->width) * image->height * 3);
            for (unsigned y = 0; y < image->height; ++y) png_read_row(png, &image->rgb[y * image->width * 3], nullptr);
            png_read_end(png, nullptr);
            ok = true;
        }
    }
    if (!ok) *why = "does not decode";
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::fclose(f);
    return ok;
}

size_t DistinctColours(const Image& image) {
    std::unordered_set<uint32_t> colours;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        colours.insert(uint32_t(image.rgb[i]) << 16 | uint32_t(image.rgb[i + 1]) << 8 | image.rgb[i + 2]);
    return colours.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gallery_check DIR MIN_PICTURES\n");
        return 2;
    }
    const std::string dir = argv[1];
    const size_t minPictures = std::strtoul(argv[2], nullptr, 10);
    std::ifstream index(dir + "/index.html");
    if (!index) {
        std::fprintf(stderr, "FAIL: no %s/index.html\n", dir.c_str());
        return 1;
    }
    std::stringstream page;
    page << index.rdbuf();
    const std::string html = page.str();
    size_t pictures = 0, passed = 0, failures = 0;
    for (size_t at = html.find("src=\""); at != std::string::npos; at = html.find("src=\"", at)) {
        at += 5;
        const std::string name = html.substr(at, html.find('"', at) - at);
        Image image;
        std::string why;
        ++pictures;
        if (!ReadPng(dir + "/" + name, &image, &why)) {
            std::printf("FAIL %s: %s\n", name.c_str(), why.c_str());
            ++failures;
        } else if (const size_t colours = DistinctColours(image); colours < kMinColours) {
            std::printf("FAIL %s: blank (%zu colours)\n", name.c_str(), colours);
            ++failures;
        } else {
            std::printf("ok   %s: %u x %u, %zu colours\n", name.c_str(), image.width, image.height, colours);
            ++passed;
        }
    }
    if (pictures < minPictures) {
        std::printf("FAIL: index.html shows %zu pictures, expected at least %zu\n", pictures, minPictures);
        ++failures;
    }
    std::printf("%zu passed, %zu failed\n", passed, failures);
    return failures ? 1 : 0;
}
