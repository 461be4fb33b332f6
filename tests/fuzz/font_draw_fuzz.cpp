// CRF_Draw of fonts read from random images, at random places over a random
// viewport of a buffer framed by a canary band: nothing outside the viewport
// may change.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qrvfuzz::StartLibrary();
    const qrvfuzz::HostLeakCheck leaks;
    qrvfuzz::Reader in(data, size);
    const int format = in.Range(1, 5);
    constexpr int32_t kWidth = 48, kHeight = 32;
    qrvfuzz::GuardedBuffer buffer(format, kWidth, kHeight);
    qrvfuzz::Rect view{in.Range(0, kWidth), in.Range(0, kHeight), 0, 0};
    view.right = in.Range(view.left, kWidth);
    view.bottom = in.Range(view.top, kHeight);
    const int32_t x = in.Coord(view.left, view.right), y = in.Coord(view.top, view.bottom);
    const uint32_t colour = in.U32();
    QRV_SetInkAlpha(in.U8());
    QRV_SetMMXState(in.U8() & 1);
    uint8_t text[16];
    const int32_t length = in.Range(-1, sizeof text);
    for (uint8_t& c : text) c = in.U8();
    text[sizeof text - 1] = 0;
    const uint8_t mode = in.U8();

    const intptr_t stream = qrvhost::OpenMemoryStream(in.Rest(), in.Left());
    void* font = CRF_Read(stream);
    qrvhost::CloseStream(stream);
    if (font == nullptr) return 0;
    if (mode < 3) CRF_DrawMode(font, mode);
    buffer.Paint(view, in);
    QRV_SetBuffer(buffer.pixels(), buffer.pitch(), format);
    QRV_SetBufferViewPort(view.left, view.top, view.right, view.bottom);
    CRF_Draw(font, text, length, x, y, colour);
    qrvfuzz::CheckBand(buffer, view, "outside the viewport", "CRF_Draw");
    QRV_SetBufferViewPort(0, 0, 0, 0);
    QRV_SetBuffer(nullptr, 0, 0);
    CRF_Free(font);
    return 0;
}
