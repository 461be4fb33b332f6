// crf-font: converts a TrueType or OpenType font at one pixel size into a CRF
// font file. See Usage() below.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ttf_to_crf.h"
#include "quorvel.h"
#include "quorvel_host.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kUsage = R"(Usage: crf-font [options] FONT SIZE OUTPUT

Converts the TrueType or OpenType font FONT, rendered by FreeType at SIZE
pixels per em (1..512), into the CRF font file OUTPUT.

Options:
  --range FIRST-LAST  character codes (Unicode) to convert, both inclusive,
                      decimal or 0x hex, or one code alone; default 32-126.
                      The font holds the characters 0..LAST, each at its code.
  --depth 8|32        8: one coverage byte per pixel (the default);
                      32: 0xAARRGGBB pixels of --colour, coverage in alpha
  --colour ARGB       the glyphs' colour at depth 32 (default 0xFFFFFFFF);
                      drawing modulates it by the ink colour
  --mode MODE         the font's draw mode: solid (0), blend (1, the default)
                      or backdrop (2)
  --backdrop ARGB     the backdrop colour of draw mode backdrop (default 0xFF000000)
  --face N            face N of a font collection (default 0)
  --quiet             print nothing on success
  --help              show this text

Every glyph box has the same height. Drawing a text at (x, y) puts its
baseline on row y + baseline and its pen on column x + pen column, both
printed on success and kept in the first two user words of every character's
metrics. Each character's metrics are FreeType's at that size: underhang =
left bearing, width = ink width, overhang = advance - underhang - width.

The file is written next to OUTPUT under a temporary name and renamed into
place once complete, so OUTPUT is either the whole new file or left as it was.
Exit status: 0 done, 1 conversion or writing failed, 2 bad arguments.
)";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "crf-font: %s\nTry 'crf-font --help'.\n", message.c_str());
    return kExitUsage;
}

bool ParseInt(const std::string& text, long min, long max, long* out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != 0 || v < min || v > max) return false;
    *out = v;
    return true;
}

bool ParseColour(const std::string& text, uint32_t* out) {
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = text.empty() || text[0] == '-' ? 0 : std::strtoull(text.c_str(), &end, 0);
    if (end == nullptr || errno != 0 || *end != 0 || v > 0xFFFFFFFFull) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

// "FIRST-LAST", "FIRST..LAST" or one code; FIRST above LAST is left for the
// converter to refuse as an empty range.
bool ParseRange(const std::string& text, int32_t* first, int32_t* last) {
    size_t dash = text.find("..");
    size_t skip = 2;
    if (dash == std::string::npos) {
        dash = text.find('-', 1);
        skip = 1;
    }
    long a, b;
    if (dash == std::string::npos) {
        if (!ParseInt(text, 0, 65535, &a)) return false;
        b = a;
    } else if (!ParseInt(text.substr(0, dash), -1, 1L << 20, &a) ||
               !ParseInt(text.substr(dash + skip), -1, 1L << 20, &b)) {
        return false;
    }
    *first = static_cast<int32_t>(a);
    *last = static_cast<int32_t>(b);
    return true;
}

bool ParseMode(const std::string& text, int32_t* mode) {
    const char* names[] = {"solid", "blend", "backdrop"};
    for (int32_t m = 0; m < 3; ++m)
        if (text == names[m] || text == std::to_string(m)) {
            *mode = m;
            return true;
        }
    return false;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Saves the font through the host's file streams under a temporary name
// beside `output`, reads it back, and renames it over `output` only when it
// holds the whole image.
bool SaveFont(void* font, const std::string& output, std::string* error) {
    const intptr_t memory = qrvhost::OpenMemoryStream();
    CRF_Write(font, memory);
    const std::vector<uint8_t> image = qrvhost::MemoryStreamBytes(memory);
    qrvhost::CloseStream(memory);
    if (image.empty()) {
        *error = "cannot build the file image";
        return false;
    }

    std::string temp = output + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        *error = "cannot write '" + output + "': " + std::strerror(errno);
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    CRF_Save(font, qrvhost::Path(temp.c_str()));
    if (FileBytes(temp) != image) {
        *error = "cannot write '" + output + "': the file came out incomplete";
        unlink(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0) {
        *error = "cannot write '" + output + "': " + std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qrvttf::TtfOptions options;
    bool quiet = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--quiet") {
            quiet = true;
            continue;
        }
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0 || arg == "--") {
            positional.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) return UsageError(arg + " needs a value");
        const std::string value = argv[++i];
        long number = 0;
        if (arg == "--range") {
            if (!ParseRange(value, &options.first, &options.last))
                return UsageError("bad range '" + value + "' (FIRST-LAST, codes 0..65535)");
        } else if (arg == "--depth") {
            if (!ParseInt(value, 0, 64, &number) || (number != 8 && number != 32))
                return UsageError("depth must be 8 or 32, not '" + value + "'");
            options.depth = static_cast<int>(number);
        } else if (arg == "--colour" || arg == "--color") {
            if (!ParseColour(value, &options.colour)) return UsageError("bad colour '" + value + "'");
        } else if (arg == "--backdrop") {
            if (!ParseColour(value, &options.backdrop)) return UsageError("bad colour '" + value + "'");
        } else if (arg == "--mode") {
            if (!ParseMode(value, &options.drawMode))
                return UsageError("mode must be solid, blend or backdrop, not '" + value + "'");
        } else if (arg == "--face") {
            if (!ParseInt(value, 0, 65535, &number)) return UsageError("bad face index '" + value + "'");
            options.faceIndex = static_cast<int>(number);
        } else {
            return UsageError("unknown option " + arg);
        }
    }
    if (positional.size() != 3) return UsageError("expected FONT SIZE OUTPUT");
    long size = 0;
    if (!ParseInt(positional[1], 1, qrvttf::kMaxPixelSize, &size))
        return UsageError("pixel size must be a whole number in 1.." + std::to_string(qrvttf::kMaxPixelSize) +
                          ", not '" + positional[1] + "'");
    options.fontPath = positional[0];
    options.pixelSize = static_cast<int>(size);
    const std::string& output = positional[2];

    QRV_Init_Lib();
    qrvhost::Install();
    std::string error;
    qrvttf::CrfFontSummary summary;
    void* font = qrvttf::BuildCrfFont(options, &error, &summary);
    const bool saved = font != nullptr && SaveFont(font, output, &error);
    qrvttf::FreeCrfFont(font);
    QRV_Close_Lib();
    if (!saved) {
        std::fprintf(stderr, "crf-font: %s\n", error.c_str());
        return kExitFailed;
    }
    if (!quiet)
        std::printf("%s: characters %d..%d at %d px, depth %d, %d glyphs (%d codes not in the font), "
                    "box height %d, baseline %d, pen column %d, line height %d\n",
                    output.c_str(), options.first, options.last, options.pixelSize, options.depth, summary.glyphs,
                    summary.missing, summary.height, summary.baseline, summary.penColumn, summary.lineHeight);
    return 0;
}
