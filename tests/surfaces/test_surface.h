// A surface descriptor over a guarded test canvas.
#pragma once

#include <vector>

#include "support/canvas.h"
#include "surfaces/surface.h"

namespace qrvtest {

struct Surface {
    Canvas canvas;
    QrvSurfaceDesc* desc;
    Surface(int w, int h, int format)
        : canvas(w, h, format, 4), desc(QRV_AllocSurfaceDesc(format, canvas.Base(), canvas.pitch, w, h)) {}
    ~Surface() { QRV_FreeSurfaceDesc(desc); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    void Fill(uint32_t v) {
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x) canvas.Set(x, y, v);
    }
    // Every pixel as 0xAARRGGBB, row by row, unclipped.
    std::vector<uint32_t> Peeks() const {
        std::vector<uint32_t> p;
        for (int y = 0; y < canvas.height; ++y)
            for (int x = 0; x < canvas.width; ++x) p.push_back(qrv::PeekPixelNC(desc, x, y));
        return p;
    }
};

}  // namespace qrvtest
