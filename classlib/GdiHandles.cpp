#include "classlib/GdiHandles.h"

namespace gdi {
namespace detail {
std::atomic<long> liveObjects{0};
}
long LiveObjects() { return detail::liveObjects.load(); }
}  // namespace gdi
