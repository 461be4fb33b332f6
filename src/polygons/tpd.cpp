// Texture-poly draw descriptors: the records behind the TPD handles, the set
// of live handles, and the line buffers shared by every textured draw.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "polygons/textured.h"
#include "quorvel.h"

namespace qrv {
namespace {

// ---- Live handles: an open-addressing set of record addresses ----

// Marks a freed slot; its address is never a record's.
constinit char tombstoneMarker = 0;
void* const kTombstone = &tombstoneMarker;

constinit void** liveSlots = nullptr;
constinit uint32_t liveCapacity = 0;  // a power of two, or 0
constinit uint32_t liveUsed = 0;      // live entries and tombstones
constinit uint32_t liveCount = 0;

uint32_t SlotOf(const void* p, uint32_t capacity) {
    uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) * 0x9E3779B97F4A7C15ull;
    return static_cast<uint32_t>(h >> 32) & (capacity - 1);
}

bool Rehash(uint32_t capacity) {
    void** slots = static_cast<void**>(std::calloc(capacity, sizeof(void*)));
    if (slots == nullptr) return false;
    uint32_t used = 0;
    for (uint32_t i = 0; i < liveCapacity; ++i) {
        void* t = liveSlots[i];
        if (t == nullptr || t == kTombstone) continue;
        uint32_t s = SlotOf(t, capacity);
        while (slots[s] != nullptr) s = (s + 1) & (capacity - 1);
        slots[s] = t;
        ++used;
    }
    std::free(liveSlots);
    liveSlots = slots;
    liveCapacity = capacity;
    liveUsed = used;
    return true;
}

bool Track(Tpd* t) {
    if (2 * (uint64_t{liveUsed} + 1) > liveCapacity) {
        // Sized for the live records only: the tombstones go.
        uint64_t capacity = 64;
        while (capacity < 4 * (uint64_t{liveCount} + 1)) capacity *= 2;
        if (capacity > (uint64_t{1} << 30) || !Rehash(static_cast<uint32_t>(capacity))) return false;
    }
    uint32_t s = SlotOf(t, liveCapacity);
    while (liveSlots[s] != nullptr) s = (s + 1) & (liveCapacity - 1);
    liveSlots[s] = t;
    ++liveUsed;
    ++liveCount;
    return true;
}

// The slot holding p, or -1.
int64_t FindSlot(const void* p) {
    if (p == nullptr || liveCapacity == 0 || p == kTombstone) return -1;
    for (uint32_t s = SlotOf(p, liveCapacity), probes = 0; probes < liveCapacity;
         s = (s + 1) & (liveCapacity - 1), ++probes) {
        if (liveSlots[s] == nullptr) return -1;
        if (liveSlots[s] == p) return s;
    }
    return -1;
}

void ResetTpd(Tpd& t) {
    std::memset(&t, 0, sizeof t);
    t.maskCompression = 1;
    t.outputType = 1;
}

void Append(Tpd& t, int32_t effect, uint32_t arg1, uint32_t arg2 = 0, uint32_t arg3 = 0) {
    if (t.texelEffectCount >= kTexelEffectSlots) return;
    t.texelEffects[t.texelEffectCount++] = {effect, nullptr, nullptr, arg1, arg2, arg3, 0};
}

// ---- Line buffers ----

alignas(16) constinit uint32_t staticTexels[kLineEntries];
alignas(16) constinit uint32_t staticColours[kLineEntries];
alignas(16) constinit int32_t staticRuns[kLineEntries + 2];

}  // namespace

constinit LineBuffers gLines = {staticTexels, staticColours, staticRuns, kLineEntries};

bool ReserveLines(int32_t width) {
    if (width <= gLines.capacity) return true;
    if (width > INT32_MAX / 8) return false;
    // Rounded up so that a slowly widening viewport does not reallocate every time.
    const int32_t capacity = (width + 4095) & ~4095;
    const size_t bytes = static_cast<size_t>(capacity) * 4;
    auto* texels = static_cast<uint32_t*>(std::malloc(bytes));
    auto* colours = static_cast<uint32_t*>(std::malloc(bytes));
    auto* runs = static_cast<int32_t*>(std::malloc(bytes + 8));
    if (texels == nullptr || colours == nullptr || runs == nullptr) {
        std::free(texels);
        std::free(colours);
        std::free(runs);
        return false;
    }
    if (gLines.texels != staticTexels) {
        std::free(gLines.texels);
        std::free(gLines.colours);
        std::free(gLines.runs);
    }
    gLines = {texels, colours, runs, capacity};
    return true;
}

Tpd* LiveTpd(const void* handle) {
    const int64_t s = FindSlot(handle);
    return s < 0 ? nullptr : static_cast<Tpd*>(liveSlots[s]);
}

}  // namespace qrv

using namespace qrv;

extern "C" {

QRV_API void* QRV_CALL TPD_Alloc(void) {
    Tpd* t = static_cast<Tpd*>(std::malloc(sizeof(Tpd)));
    if (t == nullptr) return nullptr;
    ResetTpd(*t);
    if (!Track(t)) {
        std::free(t);
        return nullptr;
    }
    return t;
}

QRV_API int32_t QRV_CALL TPD_Free(void* tpd) {
    const int64_t s = FindSlot(tpd);
    if (s < 0) return 0;
    std::free(liveSlots[s]);
    liveSlots[s] = kTombstone;
    --liveCount;
    return 0;
}

QRV_API int32_t QRV_CALL TPD_AddTexelEffect(void* tpd, int32_t effect, void* source, void* target, uint32_t arg1,
                                            uint32_t arg2, uint32_t arg3, uint32_t arg4) {
    Tpd* t = LiveTpd(tpd);
    if (t == nullptr || t->texelEffectCount >= kTexelEffectSlots) return 0;
    t->texelEffects[t->texelEffectCount++] = {effect, static_cast<uint32_t*>(source), static_cast<uint32_t*>(target),
                                              arg1, arg2, arg3, arg4};
    return 0;
}

QRV_API void QRV_CALL TPD_SetMaskCompression(void* tpd, int32_t on) {
    if (Tpd* t = LiveTpd(tpd)) t->maskCompression = on & 1;
}

QRV_API int32_t QRV_CALL TPD_GetMaskCompression(void* tpd) {
    const Tpd* t = LiveTpd(tpd);
    return t ? t->maskCompression : 0;
}

QRV_API int32_t QRV_CALL TPD_GetGouruaudState(void* tpd) {
    const Tpd* t = LiveTpd(tpd);
    return t ? t->gouraudState : 0;
}

QRV_API int32_t QRV_CALL TPD_SetOutputEffect(void* tpd, int32_t type, int32_t param, int32_t level) {
    Tpd* t = LiveTpd(tpd);
    if (t == nullptr) return 0;
    int32_t storedType = 0, storedParam = 0, storedLevel = 0, accepted = 1;
    if (type == 1 || type == 3 || type == 4 || type == 5) {
        storedType = type, storedParam = param;
    } else if (type == 2) {
        if (level >= 254) {
            storedType = 1, storedParam = param;
        } else if (level >= 1) {
            storedType = 2, storedParam = param, storedLevel = level;
        }
        // A level of 0 (or below) draws nothing.
    } else {
        accepted = 0;
    }
    t->outputType = storedType;
    t->outputParam = storedParam;
    t->outputLevel = storedLevel;
    return accepted;
}

QRV_API int32_t QRV_CALL TPD_UpdateSpriteDrawMode(void* tpd, int32_t flags, uint32_t tint, uint32_t colour,
                                                  int32_t value) {
    Tpd* t = LiveTpd(tpd);
    if (t == nullptr) return 0;
    t->masked = flags & 1;
    t->filtered = flags < 0 ? 1 : 0;
    t->gouraudState = 0;
    t->texelEffectCount = 0;
    for (TexelEffectEntry& e : t->texelEffects) e = {};
    if ((tint & 0xFFFFF) < 0xFFFFF) Append(*t, 1, tint);
    if ((flags & 0x7FFFFFFE) == 0) return 1;
    const uint32_t v = static_cast<uint32_t>(value);
    if (flags & 0x40) Append(*t, 1, v);
    if (flags & 0x400) Append(*t, 10, colour);
    if ((flags & 0x800) && value < 255) {
        if (value < 1) {
            Append(*t, 10, colour);
        } else {
            Append(*t, 4, colour, v);
        }
    }
    if (flags & 0x1000) Append(*t, 2, colour);
    if (flags & 0x2000) Append(*t, 3, colour);
    if (flags & 0x10000) Append(*t, 11, colour);
    if (flags & 0x20000) Append(*t, 12, colour);
    if (flags & 0x4000) Append(*t, 15, colour, 0, v);
    // The Gouraud effects read the colour line (a null source).
    const struct {
        int32_t bit, effect;
    } gouraud[] = {{0x80, 7}, {0x100, 5}, {0x200, 6}};
    for (const auto& g : gouraud) {
        if ((flags & g.bit) == 0) continue;
        Append(*t, g.effect, colour, 0, v);
        t->gouraudState = 1;
    }
    return 1;
}

QRV_API void* QRV_CALL TPD_BuildSpriteDrawMode(int32_t flags, uint32_t tint, uint32_t colour, int32_t value) {
    void* t = TPD_Alloc();
    TPD_UpdateSpriteDrawMode(t, flags, tint, colour, value);
    return t;
}

}  // extern "C"
