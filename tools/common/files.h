#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

namespace qelo::assetgen {

// Writes the bytes to path, creating missing parent folders; throws
// std::runtime_error naming the path if it cannot.
void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace qelo::assetgen
