#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace vexlor::platform {

// The bytes of an RCDATA resource of the executable; they live as long as the program. Throws
// vexlor::Error when the executable does not carry it.
std::span<const std::uint8_t> ResourceData(int id);
// The same, or nothing when the executable does not carry it.
std::optional<std::span<const std::uint8_t>> FindResourceData(int id);

} // namespace vexlor::platform
