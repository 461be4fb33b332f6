// The font image reader on random images. An image it accepts must write
// back as an image that reads again and writes the same bytes; every read,
// accepted or not, must leave no host block or stream behind.
#include "fuzz_support.h"

namespace {

std::vector<uint8_t> WriteImage(void* font) {
    const intptr_t stream = qrvhost::OpenMemoryStream();
    CRF_Write(font, stream);
    std::vector<uint8_t> bytes = qrvhost::MemoryStreamBytes(stream);
    qrvhost::CloseStream(stream);
    return bytes;
}

void* ReadImage(const uint8_t* data, size_t size) {
    const intptr_t stream = qrvhost::OpenMemoryStream(data, size);
    void* font = CRF_Read(stream);
    qrvhost::CloseStream(stream);
    return font;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qrvfuzz::StartLibrary();
    const qrvfuzz::HostLeakCheck leaks;
    void* font = ReadImage(data, size);
    if (font == nullptr) return 0;
    static const uint8_t kText[] = {0, 1, 2, 'A', 'g', 200, 255, 0};
    CRF_TextWidth(font, kText + 1, 0);
    CRF_TextHeight(font, kText, sizeof kText, 0);
    CRF_TextHeight(font, kText, sizeof kText, 1);
    const std::vector<uint8_t> image = WriteImage(font);
    CRF_Free(font);
    void* again = ReadImage(image.data(), image.size());
    if (again == nullptr) {
        std::fprintf(stderr, "an accepted image, written back, did not read again\n");
        std::abort();
    }
    if (WriteImage(again) != image) {
        std::fprintf(stderr, "an accepted image did not write back the same bytes twice\n");
        std::abort();
    }
    CRF_Free(again);
    return 0;
}
