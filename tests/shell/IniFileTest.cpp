#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <iterator>
#include <random>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/RuntimeError.h"
#include "shell/IniFile.h"

namespace fs = std::filesystem;

namespace {

using namespace shell;

struct UpdateCase {
    const char* name;
    std::string before;
    std::string section, key, value;
    std::string after;
};

class IniUpdate : public testing::TestWithParam<UpdateCase> {};

TEST_P(IniUpdate, WritesExactlyTheseBytes) {
    const UpdateCase& c = GetParam();
    EXPECT_EQ(UpdateIniText(c.before, c.section, c.key, c.value), c.after);
}

TEST_P(IniUpdate, RepeatedWriteChangesNothing) {
    const UpdateCase& c = GetParam();
    EXPECT_EQ(UpdateIniText(c.after, c.section, c.key, c.value), c.after);
}

// Files of every shape: a write repeated must give the file it gave.
TEST(IniUpdateRepeated, RandomFilesWrittenTwiceGiveTheSameFile) {
    std::mt19937 rng(7);
    const char* pieces[] = {"[A]", "[a]", "[B]", "k=1", "K=2", "x=", " k=3", "\r\n", "\n", "\r", " ", "[", "="};
    const char* keys[] = {"k", "K", "x"};
    for (int round = 0; round < 20000; ++round) {
        std::string before;
        for (int n = static_cast<int>(rng() % 8); n > 0; --n) before += pieces[rng() % std::size(pieces)];
        const std::string section = rng() % 2 ? "A" : "B";
        const std::string key = keys[rng() % std::size(keys)];
        const std::string value = rng() % 2 ? "v" : "[w";
        const std::string once = UpdateIniText(before, section, key, value);
        ASSERT_EQ(UpdateIniText(once, section, key, value), once) << testing::PrintToString(before) << " [" << section
                                                                  << "] " << key << "=" << value;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Store, IniUpdate,
    testing::Values(
        UpdateCase{"EmptyFileGivesHeaderAndKeyLine", "", "Configurations", "PortNumber", "1",
                   "[Configurations]\r\nPortNumber=1\r\n"},
        UpdateCase{"NewKeyGoesRightAfterTheHeader", "[Configurations]\r\nPortNumber=1\r\n", "Configurations",
                   "Baud Rate", "9600", "[Configurations]\r\nBaud Rate=9600\r\nPortNumber=1\r\n"},
        UpdateCase{"ExistingValueIsReplacedInPlace", "[A]\r\nx=1\r\ny=old value\r\nz=3\r\n", "A", "y", "new",
                   "[A]\r\nx=1\r\ny=new\r\nz=3\r\n"},
        UpdateCase{"LastLineWithoutLineEndIsReplacedToTheEnd", "[A]\r\nx=1", "A", "x", "2", "[A]\r\nx=2\r\n"},
        UpdateCase{"NewSectionIsAppendedAfterOneBlankLine", "[A]\r\nx=1\r\n", "Configurations", "Model", " 3640",
                   "[A]\r\nx=1\r\n\r\n[Configurations]\r\nModel= 3640\r\n"},
        UpdateCase{"BlankLineRunsShrinkAndEndsAreTrimmed", "\r\n\r\n[A]\r\nx=1\r\n\r\n\r\n\r\n[B]\r\ny=2\r\n\r\n\r\n",
                   "A", "x", "3", "[A]\r\nx=3\r\n\r\n[B]\r\ny=2\r\n"},
        UpdateCase{"ControlCharactersAtBothEndsGo", "\t\r\n[A]\r\nx=1\t\r\n\r\n", "A", "y", "2",
                   "[A]\r\ny=2\r\nx=1\r\n"},
        UpdateCase{"KeyOfALaterSectionIsNotThisSectionsKey", "[A]\r\na=1\r\n[B]\r\nk=2\r\n", "A", "k", "5",
                   "[A]\r\nk=5\r\na=1\r\n[B]\r\nk=2\r\n"},
        UpdateCase{"BracketInAValueEndsTheSection", "[A]\r\nv=x[y\r\nk=1\r\n", "A", "k", "2",
                   "[A]\r\nk=2\r\nv=x[y\r\nk=1\r\n"},
        UpdateCase{"HeaderKeepsItsCaseKeyTakesTheCallers", "[CONFIGURATIONS]\r\nPORTNUMBER=3\r\n", "Configurations",
                   "PortNumber", "4", "[CONFIGURATIONS]\r\nPortNumber=4\r\n"},
        UpdateCase{"HeaderWithTrailingBlankIsNotFound", "[Configurations] \r\nPortNumber=1\r\n", "Configurations",
                   "PortNumber", "2",
                   "[Configurations] \r\nPortNumber=1\r\n\r\n[Configurations]\r\nPortNumber=2\r\n"},
        UpdateCase{"KeyAfterABlankIsNotFound", "[A]\r\n k=1\r\n", "A", "k", "2", "[A]\r\nk=2\r\n k=1\r\n"},
        UpdateCase{"ValueKeepsEqualsSignsBlanksAndCase", "[A]\r\nk=1\r\n", "A", "k", " a=B c ",
                   "[A]\r\nk= a=B c \r\n"},
        // Files made elsewhere: the lines the reader sees are the lines rewritten.
        UpdateCase{"LineFeedFileIsRewrittenWithItsKeyReplaced", "[A]\nx=1\nk=old\n", "A", "k", "new",
                   "[A]\r\nx=1\r\nk=new\r\n"},
        UpdateCase{"LineFeedInsideACrLfFileEndsALine", "[A]\r\nx=1\nk=old\r\n", "A", "k", "new",
                   "[A]\r\nx=1\r\nk=new\r\n"},
        UpdateCase{"LoneCarriageReturnsEndLines", "[A]\rk=1\r", "A", "k", "2", "[A]\r\nk=2\r\n"},
        UpdateCase{"LineBreakInAValueCannotAddLines", "[A]\r\nk=1\r\n", "A", "IPAddress", "1.2.3.4\r\n[B]\nx=y",
                   "[A]\r\nIPAddress=1.2.3.4\r\nk=1\r\n"},
        UpdateCase{"HeaderOnTheLastLineWithoutLineEnd", "[A]", "A", "k", "1", "[A]\r\nk=1\r\n"},
        UpdateCase{"LowerCaseHeaderLastAfterOtherSections", "x=1\r\n[B]\r\ny=2\r\n[a]", "A", "k", "1",
                   "x=1\r\n[B]\r\ny=2\r\n[a]\r\nk=1\r\n"},
        UpdateCase{"OtherBytesInsideLinesAreKept", std::string("[A]\r\nv=\0\xff\x80z\r\nk=1", 16), "A", "k", "2",
                   std::string("[A]\r\nv=\0\xff\x80z\r\nk=2\r\n", 18)}),
    [](const testing::TestParamInfo<UpdateCase>& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* name;
    std::string text, section, key, value;
};

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsTheValue) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(ReadIniText(c.text, c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Store, IniRead,
    testing::Values(ReadCase{"EmptyText", "", "A", "k", ""},
                    ReadCase{"CaseOfSectionAndKeyIgnoredValueKept", "[cONFIG]\r\nPORT=Mixed Case\r\n", "Config", "port",
                             "Mixed Case"},
                    ReadCase{"ValueWithEqualsSignIsWhole", "[A]\r\nk=a=b\r\n", "A", "k", "a=b"},
                    ReadCase{"BracketLineEndsTheSection", "[A]\r\nv=x[y\r\nk=1\r\n", "A", "k", ""},
                    ReadCase{"BracketLineIsNoSetting", "[A]\r\nv=x[y\r\n", "A", "v", ""},
                    ReadCase{"HeaderWithTrailingBlankIsNoHeader", "[A] \r\nk=1\r\n", "A", "k", ""},
                    ReadCase{"LeadingBlankKeyIsNotFound", "[A]\r\n k=1\r\n", "A", "k", ""},
                    ReadCase{"KeyOfAnotherSectionIsNotFound", "[A]\r\nx=1\r\n[B]\r\nk=2\r\n", "A", "k", ""},
                    ReadCase{"FirstSectionOfTheNameWins", "[A]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "k", "1"},
                    ReadCase{"SecondSectionOfTheNameIsReadToo", "[A]\r\nx=1\r\n[B]\r\n[A]\r\nk=2\r\n", "A", "k",
                             "2"},
                    ReadCase{"LoneCarriageReturnEndsALine", "[A]\rk=1\r", "A", "k", "1"},
                    ReadCase{"KeyPrefixIsNotTheKey", "[A]\r\nkey2=1\r\nkey=2\r\n", "A", "key", "2"},
                    ReadCase{"LineFeedEndsALine", "[A]\nk=1\n", "A", "k", "1"},
                    ReadCase{"LineFeedInsideACrLfFileEndsALine", "[A]\r\nx=1\nk=2\r\n", "A", "x", "1"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

class IniFileOnDisk : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("ini-test-" + std::to_string(::getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "DuRudo.ini").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string contents() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void store(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }

    fs::path folder;
    std::string path;
};

TEST_F(IniFileOnDisk, ReadingAMissingFileCreatesItEmpty) {
    EXPECT_EQ(readIniValueOrThrow(path, "Configurations", "PortNumber"), "");
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(IniFileOnDisk, WritesAreReadBackAndLeaveNoTemporaryFile) {
    writeIniValueOrThrow(path, "Configurations", "PortNumber", "17");
    writeIniValueOrThrow(path, "Configurations", "IPAddress", "127.0.0.1");
    writeIniValueOrThrow(path, "Configurations", "PortNumber", "18");
    EXPECT_EQ(contents(), "[Configurations]\r\nIPAddress=127.0.0.1\r\nPortNumber=18\r\n");
    EXPECT_EQ(readIniValueOrThrow(path, "configurations", "portnumber"), "18");
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(folder)) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(IniFileOnDisk, ReadOnlyFileIsMadeWritable) {
    store("[A]\r\nk=1\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(readIniValueOrThrow(path, "A", "k"), "1");
    EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_write, fs::perms::none);
    fs::permissions(path, fs::perms::owner_read);
    writeIniValueOrThrow(path, "A", "k", "2");
    EXPECT_EQ(contents(), "[A]\r\nk=2\r\n");
}

TEST_F(IniFileOnDisk, WriteThroughALinkReplacesTheFileNotTheLink) {
    store("[A]\r\nk=1\r\n");
    const std::string link = (folder / "link.ini").string();
    fs::create_symlink(path, link);
    writeIniValueOrThrow(link, "A", "k", "2");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(), "[A]\r\nk=2\r\n");
}

TEST_F(IniFileOnDisk, UnusablePathsRaiseFileAccessErrors) {
    const std::string missingFolder = (folder / "no such folder" / "DuRudo.ini").string();
    const std::string aFolder = folder.string();
    for (const std::string& p : {missingFolder, aFolder}) {
        SCOPED_TRACE(p);
        try {
            writeIniValueOrThrow(p, "A", "k", "1");
            ADD_FAILURE() << "no error";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), 75);
        }
        EXPECT_THROW(readIniValueOrThrow(p, "A", "k"), platform::RuntimeError);
    }
    EXPECT_FALSE(fs::exists(folder / "no such folder"));
}

TEST_F(IniFileOnDisk, TemporaryFileLeftByAFailedWriteGoesWithTheNextWrite) {
    store("[A]\r\nk=1\r\n");
    // What a write leaves that failed before its rename and could not remove
    // its temporary file: part of the new contents, read-only.
    const std::string leftover = temporaryIniPath(path);
    std::ofstream(leftover, std::ios::binary) << "[A]\r\nk=";
    fs::permissions(leftover, fs::perms::owner_read);
    writeIniValueOrThrow(path, "A", "k", "2");
    EXPECT_EQ(contents(), "[A]\r\nk=2\r\n");
    EXPECT_FALSE(fs::exists(leftover));
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(folder)) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(IniFileOnDisk, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    const std::string before = "[Configurations]\r\nPortNumber=1\r\n";
    store(before);
    // The disk fills up in the middle of the write: files may not grow past
    // 40 bytes, and the new contents need more.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 40;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int number = 0;
    try {
        writeIniValueOrThrow(path, "Configurations", "Model", " 3640-5xxx/6xxx");
    } catch (const platform::RuntimeError& e) {
        number = e.number();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(number, 75);
    EXPECT_EQ(contents(), before);
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(folder)) ++entries;
    EXPECT_EQ(entries, 1);
}

}  // namespace
