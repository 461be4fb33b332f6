// Writes the seed corpora of the fuzz targets into the folder named by its
// argument (one folder per target): font images made through the library,
// and a few hand-made inputs for the others.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "quorvel.h"
#include "quorvel_host.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(const std::string& dir, const std::string& target, const std::string& name, const Bytes& b) {
    const std::string path = dir + "/" + target + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return;
    }
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

void U32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A font of `chars` glyphs of the given depth, some of them shared, as its image.
Bytes FontImage(int depth, int chars, int mode) {
    void* font = CRF_Alloc(128);
    CRF_SetChrDepth(font, depth);
    CRF_SetMaxChrSize(font, 8, 10);
    CRF_DrawMode(font, mode);
    QrvChrInfo* info = CRF_GetChrInfoPtr(font, 0);
    for (int c = 0; c < chars; ++c) {
        const int32_t w = 2 + c % 7, h = 3 + c % 8;
        Bytes raw(sizeof(QrvRawGlyph) + w * h * (depth / 8));
        const QrvRawGlyph header{w, h, depth, 0};
        std::memcpy(raw.data(), &header, sizeof header);
        for (size_t i = sizeof header; i < raw.size(); ++i)
            raw[i] = static_cast<uint8_t>((i + c) % 3 ? 255 - (i * 5) % (c + 2) : 0);
        const intptr_t block = CRF_CompressChr(reinterpret_cast<const QrvRawGlyph*>(raw.data()));
        void* glyph = qrvhost::BlockAddress(block);
        CRF_SetChrBmp(font, 'A' + c, glyph);
        if (c % 3 == 1) CRF_SetChrBmp(font, 'a' + c, glyph);
        RFCI_SetChrUnderHang(info, 'A' + c, c % 3 - 1);
        RFCI_SetChrWidth(info, 'A' + c, w);
        RFCI_SetChrOverHang(info, 'A' + c, 1);
    }
    const intptr_t stream = qrvhost::OpenMemoryStream();
    CRF_Write(font, stream);
    Bytes image = qrvhost::MemoryStreamBytes(stream);
    qrvhost::CloseStream(stream);
    CRF_Free(font);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    QRV_Init_Lib();
    qrvhost::Install();
    struct Font { const char* name; int depth, chars, mode; };
    const Font fonts[] = {{"solid8", 8, 6, 0}, {"blend8", 8, 3, 1}, {"backdrop32", 32, 4, 2}, {"empty", 8, 0, 0}};
    for (const Font& f : fonts) {
        const Bytes image = FontImage(f.depth, f.chars, f.mode);
        Put(dir, "font_image_fuzz", f.name, image);
        // The drawing target reads its settings first: format, viewport, place, colour, alpha, packed path,
        // text length and bytes, draw mode; then the image.
        for (int format = 1; format <= 5; format += 2) {
            Bytes b;
            for (uint32_t v : {uint32_t(format - 1), 4u, 3u, 36u, 22u}) U32(b, v);
            b.push_back(0xFF), U32(b, 0);  // x near the left edge
            b.push_back(0xFF), U32(b, 40);
            U32(b, 0xFF40C080u);
            b.push_back(160), b.push_back(format & 1);
            U32(b, 7);
            const char text[16] = "ABCDEFbe";
            b.insert(b.end(), text, text + 16);
            b.push_back(static_cast<uint8_t>(f.mode));
            b.insert(b.end(), image.begin(), image.end());
            Put(dir, "font_draw_fuzz", std::string(f.name) + "_" + std::to_string(format), b);
        }
    }
    // Raw glyphs: shape byte (depth 8 or 32, key 0 or 0xFF000000), width and height, then pixels.
    for (uint8_t shape : {0x00, 0x01, 0x08, 0x09}) {
        Bytes b{shape};
        U32(b, 9), U32(b, 7);
        for (int i = 0; i < 60; ++i) b.push_back(static_cast<uint8_t>(i % 4 ? 200 + i : 0));
        Put(dir, "compress_fuzz", "glyph_" + std::to_string(shape), b);
    }
    // The others read every byte as an argument: a few patterned inputs.
    for (const char* target : {"collision_fuzz", "fast_calc_fuzz", "call_sequence_fuzz"})
        for (int seed = 0; seed < 4; ++seed) {
            Bytes b;
            uint32_t x = 0x9E3779B9u * (seed + 1);
            for (int i = 0; i < 64 + 96 * seed; ++i) {
                x ^= x << 13, x ^= x >> 17, x ^= x << 5;
                b.push_back(static_cast<uint8_t>(x));
            }
            Put(dir, target, "random_" + std::to_string(seed), b);
        }
    return 0;
}
