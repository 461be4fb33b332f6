// A surface descriptor over a guarded test canvas.
#pragma once

#include "support/canvas.h"

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
};

}  // namespace qrvtest
