// The bitmap reader against files made here: what it gives for good files of
// either row order, what it refuses, and a seeded walk of damaged files that
// must never read outside the file (the sanitizers watch) or crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <limits>
#include <random>

#include "platform/RuntimeError.h"
#include "platform/imaging/Bitmap.h"

namespace {

using platform::Bitmap;
using platform::Bytes;
using platform::parseBitmap;

void put32(Bytes& f, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(Bytes& f, std::size_t at, std::uint16_t v) {
    f[at] = static_cast<std::uint8_t>(v);
    f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// The pixel byte of stored row r (0 = first in the file), column byte c.
std::uint8_t pattern(std::size_t r, std::size_t c) { return static_cast<std::uint8_t>(r * 31 + c * 7 + 1); }

// A file as a paint program writes it; the size fields in the headers are
// deliberately wrong, since the reader must not use them.
Bytes makeBitmap(int width, int height, int bits = 1, bool black0 = true) {
    const std::size_t rowSize = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    const std::size_t paletteSize = bits <= 8 ? (4u << bits) : 0;
    const std::size_t offset = 54 + paletteSize;
    const std::size_t rows = static_cast<std::size_t>(std::abs(height));
    Bytes f(offset + rowSize * rows, 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, 12345);
    put32(f, 10, static_cast<std::uint32_t>(offset));
    put32(f, 14, 40);
    put32(f, 18, static_cast<std::uint32_t>(width));
    put32(f, 22, static_cast<std::uint32_t>(height));
    put16(f, 26, 1);
    put16(f, 28, static_cast<std::uint16_t>(bits));
    put32(f, 34, 0);
    for (std::size_t i = 0; i < paletteSize; i += 4) f[54 + i] = f[55 + i] = f[56 + i] = (i == 0) == black0 ? 0 : 255;
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < rowSize; ++c) f[offset + r * rowSize + c] = pattern(r, c);
    return f;
}

TEST(BitmapReader, GivesRowsBottomFirstWithTheRowSizeFromWidthAndDepth) {
    struct Case {
        int width, height, bits;
        bool black0;
        std::size_t rowSize, paletteSize;
    } cases[] = {{263, 77, 1, true, 36, 2},  {1, 1, 1, false, 4, 2}, {32, 2, 1, true, 4, 2},
                 {33, 3, 1, true, 8, 2},     {576, 512, 1, true, 72, 2}, {10, 2, 8, true, 12, 256},
                 {10, 2, 24, false, 32, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const auto bmp = parseBitmap(makeBitmap(c.width, c.height, c.bits, c.black0));
        ASSERT_TRUE(bmp);
        EXPECT_EQ(bmp->width, c.width);
        EXPECT_EQ(bmp->height, c.height);
        EXPECT_EQ(bmp->bitCount, c.bits);
        EXPECT_EQ(bmp->rowSize, c.rowSize);
        EXPECT_FALSE(bmp->topDown);
        EXPECT_EQ(bmp->palette.size(), c.paletteSize);
        EXPECT_EQ(bmp->firstColourBlack(), c.black0 && c.paletteSize > 0);
        ASSERT_EQ(bmp->rows.size(), c.rowSize * static_cast<std::size_t>(c.height));
        // The top line is the last row of a bottom-up file.
        EXPECT_EQ(bmp->line(1)[0], pattern(static_cast<std::size_t>(c.height) - 1, 0));
        EXPECT_EQ(bmp->line(c.height)[c.rowSize - 1], pattern(0, c.rowSize - 1));
    }
}

TEST(BitmapReader, ATopDownFileGivesTheSameLinesTurnedBottomFirst) {
    const auto bmp = parseBitmap(makeBitmap(40, -5));
    ASSERT_TRUE(bmp);
    EXPECT_TRUE(bmp->topDown);
    EXPECT_EQ(bmp->height, 5);
    for (int y = 1; y <= 5; ++y) EXPECT_EQ(bmp->line(y)[1], pattern(static_cast<std::size_t>(y - 1), 1)) << y;
    EXPECT_THROW(bmp->line(6), platform::RuntimeError);
}

TEST(BitmapReader, RefusesWhatIsNotAWholeUncompressedBitmap) {
    const Bytes good = makeBitmap(263, 77);
    auto with = [&](std::function<void(Bytes&)> change) {
        Bytes f = good;
        change(f);
        return f;
    };
    const struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"not BM", with([](Bytes& f) { f[1] = 'A'; })},
        {"last pixel byte missing", with([](Bytes& f) { f.pop_back(); })},
        {"headers only", Bytes(good.begin(), good.begin() + 54)},
        {"shorter than the headers", Bytes(good.begin(), good.begin() + 53)},
        {"empty", {}},
        {"height 0", with([](Bytes& f) { put32(f, 22, 0); })},
        {"lowest height", with([](Bytes& f) { put32(f, 22, 0x80000000u); })},
        {"width 0", with([](Bytes& f) { put32(f, 18, 0); })},
        {"negative width", with([](Bytes& f) { put32(f, 18, 0xFFFFFFF0u); })},
        {"huge width and height", with([](Bytes& f) { put32(f, 18, 0x7FFFFFFF); put32(f, 22, 0x7FFFFFFF); })},
        {"run-length compressed", with([](Bytes& f) { put32(f, 30, 1); })},
        {"bit fields", with([](Bytes& f) { put32(f, 30, 3); })},
        {"2 bits per pixel", with([](Bytes& f) { put16(f, 28, 2); })},
        {"0 bits per pixel", with([](Bytes& f) { put16(f, 28, 0); })},
        {"core header", with([](Bytes& f) { put32(f, 14, 12); })},
        {"header beyond the file", with([](Bytes& f) { put32(f, 14, 0xFFFFFFF0u); })},
        {"pixels beyond the file", with([](Bytes& f) { put32(f, 10, 0xFFFFFFF0u); })},
        {"pixels inside the header", with([](Bytes& f) { put32(f, 10, 20); })},
        {"no palette", with([](Bytes& f) { put32(f, 10, 54); f.resize(f.size() - 8); })},
    };
    for (const auto& c : cases) EXPECT_FALSE(parseBitmap(c.file)) << c.name;
}

TEST(BitmapReader, FilesGiveFileErrorsAndTheirBitmap) {
    const auto dir = std::filesystem::temp_directory_path() / ("bitmap_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const Bytes good = makeBitmap(16, 4);
    std::ofstream((dir / "logo.bmp").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(good.data()), static_cast<std::streamsize>(good.size()));
    EXPECT_EQ(platform::readBitmapFile((dir / "logo.bmp").string())->rows, parseBitmap(good)->rows);
    ASSERT_EQ(::mkfifo((dir / "pipe.bmp").c_str(), 0600), 0);  // opening it must not wait for a writer
    for (auto [path, number] :
         {std::pair{dir / "missing.bmp", 53}, {dir / "no" / "x.bmp", 53}, {dir, 75}, {dir / "pipe.bmp", 75}}) {
        try {
            platform::readBitmapFile(path.string());
            ADD_FAILURE() << path;
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), number) << path;
        }
    }
    std::filesystem::remove_all(dir);
}

// Damaged copies of good files: single bytes, header fields set to edge
// values, cut or lengthened files. An accepted file must be self-consistent.
TEST(BitmapReader, SurvivesASeededWalkOfDamagedFiles) {
    std::mt19937 rng(20240611);
    auto pick = [&](std::size_t lo, std::size_t hi) { return std::uniform_int_distribution<std::size_t>(lo, hi)(rng); };
    const std::vector<Bytes> originals = {makeBitmap(263, 77), makeBitmap(9, -13), makeBitmap(5, 3, 8),
                                          makeBitmap(7, 2, 24), makeBitmap(3, 3, 4, false)};
    const std::uint32_t edges[] = {0, 1, 2, 12, 40, 54, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0xFFFF};
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        Bytes f = originals[pick(0, originals.size() - 1)];
        for (std::size_t n = pick(1, 4); n > 0; --n) {
            switch (pick(0, 4)) {
                case 0: f[pick(0, f.size() - 1)] = static_cast<std::uint8_t>(pick(0, 255)); break;
                case 1: put32(f, pick(0, 50), edges[pick(0, std::size(edges) - 1)]); break;
                case 2: put16(f, pick(26, 30), static_cast<std::uint16_t>(pick(0, 40))); break;
                case 3: f.resize(pick(0, f.size())); break;
                default: f.resize(f.size() + pick(1, 64), 0xAA); break;
            }
            if (f.size() < 54) f.resize(54, 0);
        }
        const auto bmp = parseBitmap(f);
        if (!bmp) continue;
        ++accepted;
        ASSERT_GT(bmp->width, 0);
        ASSERT_GT(bmp->height, 0);
        ASSERT_EQ(bmp->rowSize, (static_cast<std::size_t>(bmp->width) * bmp->bitCount + 31) / 32 * 4);
        ASSERT_EQ(bmp->rows.size(), bmp->rowSize * static_cast<std::size_t>(bmp->height));
        ASSERT_LE(bmp->rows.size(), f.size());
        ASSERT_EQ(bmp->line(bmp->height).size(), bmp->rowSize);
    }
    EXPECT_GT(accepted, 1000) << "the walk should also reach files that stay readable";
}

}  // namespace
