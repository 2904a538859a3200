// The main of every test program. The tests' own files (settings files,
// application folders) go to memory where there is a writable tmpfs: every
// settings write ends in an fsync, which on a disk busy with builds waits
// milliseconds, for whole seconds in a test that writes often. Decided when
// the test runs, not when the build was configured, so a build tree taken to a
// machine without a usable /dev/shm keeps TMPDIR as it finds it. Programs the
// tests start (printer-sim) inherit it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

bool writableDirectory(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode) && ::access(path, W_OK | X_OK) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (writableDirectory("/dev/shm")) ::setenv("TMPDIR", "/dev/shm", 1);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
