#pragma once

#include <cstdint>
#include <span>

namespace vexlor::platform {

// The bytes of an RCDATA resource of the executable; they live as long as the program. Throws
// vexlor::Error when the executable does not carry it.
std::span<const std::uint8_t> ResourceData(int id);

} // namespace vexlor::platform
