#include "platform/imaging/Bitmap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/RuntimeError.h"

namespace platform {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteEntrySize = 4;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

// Little-endian fields; the caller has checked that they lie in the file.
std::uint32_t u32(std::span<const std::uint8_t> f, std::size_t at) {
    return static_cast<std::uint32_t>(f[at]) | static_cast<std::uint32_t>(f[at + 1]) << 8 |
           static_cast<std::uint32_t>(f[at + 2]) << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}
std::int32_t s32(std::span<const std::uint8_t> f, std::size_t at) { return static_cast<std::int32_t>(u32(f, at)); }
std::uint16_t u16(std::span<const std::uint8_t> f, std::size_t at) {
    return static_cast<std::uint16_t>(f[at] | f[at + 1] << 8);
}

bool supportedBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The colour table lies between the info header and the pixel rows; it
// holds biClrUsed entries, or 2^bits when that field is 0. Only whole
// entries inside both bounds are taken.
std::vector<BitmapPaletteEntry> readPalette(std::span<const std::uint8_t> f, std::size_t from, std::size_t to,
                                            int bitCount, std::uint32_t coloursUsed) {
    std::vector<BitmapPaletteEntry> palette;
    if (bitCount > 8) return palette;
    const std::uint64_t declared = coloursUsed != 0 ? coloursUsed : (1u << bitCount);
    const std::uint64_t room = to > from ? (to - from) / kPaletteEntrySize : 0;
    const std::uint64_t count = std::min<std::uint64_t>({declared, room, std::uint64_t{1} << bitCount});
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::size_t at = from + static_cast<std::size_t>(i) * kPaletteEntrySize;
        palette.push_back({f[at], f[at + 1], f[at + 2], f[at + 3]});
    }
    return palette;
}

}  // namespace

std::span<const std::uint8_t> Bitmap::line(int y) const {
    if (y < 1 || y > height) raiseError(err::SubscriptOutOfRange);
    const std::size_t fromBottom = static_cast<std::size_t>(height - y);
    return std::span<const std::uint8_t>(rows).subspan(fromBottom * rowSize, rowSize);
}

std::optional<Bitmap> parseBitmap(std::span<const std::uint8_t> f) {
    const std::size_t size = f.size();
    if (size > kMaxBitmapFileSize || size < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
    if (f[0] != 'B' || f[1] != 'M') return std::nullopt;

    const std::uint64_t pixelOffset = u32(f, 10);
    const std::uint64_t infoSize = u32(f, 14);
    const std::uint64_t headersEnd = kFileHeaderSize + infoSize;
    if (infoSize < kInfoHeaderSize || headersEnd > size || pixelOffset < headersEnd || pixelOffset > size)
        return std::nullopt;

    Bitmap bmp;
    const std::int32_t width = s32(f, 18);
    const std::int32_t height = s32(f, 22);
    bmp.bitCount = u16(f, 28);
    const std::uint32_t compression = u32(f, 30);
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) return std::nullopt;
    if (!supportedBitCount(bmp.bitCount) || compression != kUncompressed) return std::nullopt;
    bmp.width = width;
    bmp.topDown = height < 0;
    bmp.height = bmp.topDown ? -height : height;

    // Width and height are below 2^31, so these products fit in 64 bits.
    const std::uint64_t rowSize = (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bmp.bitCount) + 31) / 32 * 4;
    const std::uint64_t pixelBytes = rowSize * static_cast<std::uint64_t>(bmp.height);
    if (pixelBytes > size - pixelOffset) return std::nullopt;
    bmp.rowSize = static_cast<std::size_t>(rowSize);

    bmp.palette = readPalette(f, static_cast<std::size_t>(headersEnd), static_cast<std::size_t>(pixelOffset),
                              bmp.bitCount, u32(f, 46));
    if (bmp.bitCount <= 8 && bmp.palette.empty()) return std::nullopt;

    const auto pixels = f.subspan(static_cast<std::size_t>(pixelOffset), static_cast<std::size_t>(pixelBytes));
    if (!bmp.topDown) {
        bmp.rows.assign(pixels.begin(), pixels.end());
    } else {
        bmp.rows.reserve(pixels.size());
        for (std::size_t r = static_cast<std::size_t>(bmp.height); r-- > 0;) {
            const auto row = pixels.subspan(r * bmp.rowSize, bmp.rowSize);
            bmp.rows.insert(bmp.rows.end(), row.begin(), row.end());
        }
    }
    return bmp;
}

std::optional<Bitmap> readBitmapFile(const std::string& path) {
    // Not blocking: a named pipe picked in the file dialog would otherwise
    // hold the window until something writes to it. It is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) raiseError(errno == ENOENT || errno == ENOTDIR ? err::FileNotFound : err::PathFileAccess);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        raiseError(err::PathFileAccess);
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxBitmapFileSize) {
        ::close(fd);
        return std::nullopt;
    }
    Bytes data;
    std::uint8_t buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            raiseError(err::PathFileAccess);
        }
        if (n == 0) break;
        data.insert(data.end(), buffer, buffer + n);
        // The file may grow while it is read; what is beyond the limit is never kept.
        if (data.size() > kMaxBitmapFileSize) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return parseBitmap(data);
}

}  // namespace platform
