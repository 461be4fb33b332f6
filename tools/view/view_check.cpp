// Checks the viewer's screenshots: quorvel-view-check DIR SKIP_TOP GROUPS
//
// The files DIR/view-sK-fF-NNNN.png form one group per scene and format.
// There must be GROUPS groups of at least two frames each; below the top
// SKIP_TOP rows (the status bar, whose times change on their own) every frame
// must show a picture rather than a flat fill, and every frame must differ
// from the one before it.
#include <png.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Image {
    unsigned width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

bool Load(const std::string& path, Image* out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out->width = image.width;
    out->height = image.height;
    out->rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out->rgb.data(), 0, nullptr) != 0;
}

// Distinct colours below the bar, and the share of the commonest one.
void Census(const Image& im, unsigned skip, size_t* distinct, double* commonest) {
    std::unordered_map<uint32_t, size_t> counts;
    size_t total = 0, most = 0;
    for (unsigned y = skip; y < im.height; ++y)
        for (unsigned x = 0; x < im.width; ++x, ++total) {
            const uint8_t* p = &im.rgb[(static_cast<size_t>(y) * im.width + x) * 3];
            const size_t n = ++counts[uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]];
            if (n > most) most = n;
        }
    *distinct = counts.size();
    *commonest = total ? static_cast<double>(most) / total : 1.0;
}

size_t Differences(const Image& a, const Image& b, unsigned skip) {
    size_t n = 0;
    for (size_t i = static_cast<size_t>(skip) * a.width * 3; i < a.rgb.size(); i += 3)
        n += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: quorvel-view-check DIR SKIP_TOP GROUPS\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const unsigned skip = static_cast<unsigned>(std::atoi(argv[2]));
    const size_t groupsWanted = static_cast<size_t>(std::atoi(argv[3]));

    std::map<std::string, std::vector<std::string>> groups;  // sorted, so frames come in order
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("view-s", 0) == 0 && name.size() > 13 && name.substr(name.size() - 4) == ".png")
            groups[name.substr(0, name.size() - 8)].push_back(entry.path().string());
    }
    for (auto& group : groups) std::sort(group.second.begin(), group.second.end());

    int failures = 0;
    if (error || groups.size() != groupsWanted) {
        std::fprintf(stderr, "expected %zu groups of screenshots in %s, found %zu\n", groupsWanted, argv[1],
                     groups.size());
        ++failures;
    }
    for (const auto& [group, files] : groups) {
        if (files.size() < 2) {
            std::fprintf(stderr, "%s: %zu frame(s), need two at least\n", group.c_str(), files.size());
            ++failures;
            continue;
        }
        const int failuresBefore = failures;
        Image previous;
        for (size_t i = 0; i < files.size(); ++i) {
            Image im;
            if (!Load(files[i], &im) || im.height <= skip) {
                std::fprintf(stderr, "%s: not a readable picture taller than %u rows\n", files[i].c_str(), skip);
                ++failures;
                break;
            }
            size_t distinct;
            double commonest;
            Census(im, skip, &distinct, &commonest);
            if (distinct < 16 || commonest > 0.9) {
                std::fprintf(stderr, "%s: blank (%zu colours, the commonest on %.0f%% of the pixels)\n",
                             files[i].c_str(), distinct, commonest * 100);
                ++failures;
            }
            if (i > 0) {
                const size_t changed = im.width == previous.width && im.height == previous.height
                                           ? Differences(previous, im, skip)
                                           : 0;
                if (changed < 100) {
                    std::fprintf(stderr, "%s: %zu pixels changed since the frame before\n", files[i].c_str(), changed);
                    ++failures;
                }
            }
            previous = std::move(im);
        }
        if (failures == failuresBefore)
            std::printf("%s: %zu frames, each a picture and each different\n", group.c_str(), files.size());
    }
    return failures ? 1 : 0;
}
