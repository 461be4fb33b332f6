/* Draws into a small picture through the installed library and checks the
 * pixels; exits 0 and prints "ok" when every one is right. */
#include <stdio.h>

#include "quorvel.h"

enum { kWidth = 16, kHeight = 8 };

int main(void) {
    uint32_t pixels[kHeight][kWidth];
    int x, y, wrong = 0;
    for (y = 0; y < kHeight; ++y)
        for (x = 0; x < kWidth; ++x) pixels[y][x] = 0x11111111u;

    QRV_Init_Lib();
    QRV_SetBuffer(pixels, kWidth * 4, QRV_FORMAT_32);
    QRV_SetBufferViewPort(1, 1, kWidth - 1, kHeight - 1);
    QRV_Box(-5, -5, 100, 100, 0x00204080u, QRV_STYLE_FILLED); /* clipped to the viewport */
    QRV_Dot(3, 2, 0x00FF0000u, QRV_MODE_REPLACE);
    QRV_Dot(0, 0, 0x00FFFFFFu, QRV_MODE_REPLACE); /* outside the viewport: nothing */

    for (y = 0; y < kHeight; ++y)
        for (x = 0; x < kWidth; ++x) {
            const int inside = x >= 1 && x < kWidth - 1 && y >= 1 && y < kHeight - 1;
            const uint32_t expected = x == 3 && y == 2 ? 0x00FF0000u : inside ? 0x00204080u : 0x11111111u;
            if (pixels[y][x] != expected) {
                if (wrong++ < 5) printf("pixel (%d, %d): %08x, expected %08x\n", x, y, (unsigned)pixels[y][x],
                                        (unsigned)expected);
            }
        }
    if ((QRV_Point(3, 2) & 0xFFFFFFu) != 0xFF0000u) {
        printf("QRV_Point(3, 2) = %08x\n", (unsigned)QRV_Point(3, 2));
        ++wrong;
    }
    QRV_Close_Lib();
    puts(wrong == 0 ? "ok" : "wrong pixels");
    return wrong == 0 ? 0 : 1;
}
