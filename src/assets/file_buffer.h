#pragma once
// A whole file in one owned heap block: the file's L bytes followed by one
// 0xFF (the low byte of the end-of-file read), L + 1 bytes in all.
#include <cstdint>
#include <memory>
#include <string>

namespace qelo {

class FileBuffer {
public:
    FileBuffer() = default;
    explicit FileBuffer(const char* path) { load(path); }

    // Replaces the contents with the file at path (opened in binary mode).
    // Returns 0 on success. On failure nothing is held (data() is null,
    // size() is 0) and error() says why; the result is then non-zero.
    int load(const char* path);

    const std::uint8_t* data() const { return block.get(); }
    // Bytes in the block: the file's length plus one; 0 when nothing is held.
    std::int32_t size() const { return blockSize; }
    // The file's own length, without the trailing 0xFF.
    std::int32_t fileSize() const { return blockSize > 0 ? blockSize - 1 : 0; }
    bool loaded() const { return block != nullptr; }
    const std::string& error() const { return lastError; }

private:
    std::unique_ptr<std::uint8_t[]> block;
    std::int32_t blockSize = 0;
    std::string lastError;
};

}  // namespace qelo
