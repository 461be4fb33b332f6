#include "frame/state.h"

#include <cstddef>

namespace qrv {

static_assert(sizeof(void*) != 4 || sizeof(QrvSurfaceDesc) == 44, "descriptor is eleven 32-bit words");
static_assert(sizeof(void*) != 4 || offsetof(QrvSurfaceDesc, viewBottom) == 40, "descriptor layout");

constinit LibraryState g;

}  // namespace qrv
