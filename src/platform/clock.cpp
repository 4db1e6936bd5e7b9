#include "platform/clock.h"

namespace vexlor::platform {

Seam<LocalTimeSignature> LocalTimeApi{[] {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now;
}};

} // namespace vexlor::platform
