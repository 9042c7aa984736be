#include "assets/file_buffer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace qelo {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

int FileBuffer::load(const char* path)
{
    block.reset();
    blockSize = 0;
    lastError.clear();

    File file(std::fopen(path, "rb"));
    if (!file) {
        lastError = std::string(path) + ": " + std::strerror(errno);
        return -1;
    }
    long length = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) length = std::ftell(file.get());
    if (length < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        lastError = std::string(path) + ": cannot determine the file's size";
        return -1;
    }
    if (length >= std::numeric_limits<std::int32_t>::max()) {
        lastError = std::string(path) + ": file too large (2 GiB or more)";
        return -1;
    }

    const std::int32_t capacity = static_cast<std::int32_t>(length) + 1;
    auto bytes = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(capacity));
    // Byte by byte until end of file, as the stream reports it; the read that
    // hits the end stores its EOF (-1) as 0xFF at index L. Also stops on a
    // stream error or when the block is full, so it can never write past it.
    std::int32_t stored = 0;
    while (stored < capacity && !std::feof(file.get()) && !std::ferror(file.get())) {
        bytes[stored++] = static_cast<std::uint8_t>(std::fgetc(file.get()));
    }
    if (std::ferror(file.get())) {
        lastError = std::string(path) + ": read error";
        return -1;
    }
    if (stored != capacity || !std::feof(file.get())) {
        lastError = std::string(path) + ": file changed size while being read";
        return -1;
    }
    if (std::fclose(file.release()) != 0) {
        lastError = std::string(path) + ": error closing the file";
        return -1;
    }
    block = std::move(bytes);
    blockSize = capacity;
    return 0;
}

}  // namespace qelo
