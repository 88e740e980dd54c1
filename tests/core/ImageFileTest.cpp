// Opening images by name the same way on every platform: UTF-8 names, long paths, read-only access,
// and the refusals.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/ImageFile.h"
#include "core/Utf8Path.h"
#include "tests/support/TempDir.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kBytes = {'P', 'V', 'X', 0x00, 0xFF, 0x0D, 0x0A, 0x1A, 0x93, 0xFA};

// The file's bytes as the reader gives them, or "<not opened>".
std::string readAll(const std::string& path) {
    auto file = ImageFile::open(path);
    if (!file) return "<not opened>";
    std::string bytes(static_cast<std::size_t>(file->size()), '\0');
    file->readAt(0, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

const std::string kExpected(kBytes.begin(), kBytes.end());

TEST(ImageFileOpen, JapaneseFileName) {
    test::TempDir dir;
    EXPECT_EQ(readAll(dir.write("日本語のイメージ.SRL", kBytes)), kExpected);
}

TEST(ImageFileOpen, JapaneseFolderName) {
    test::TempDir dir;
    fs::create_directory(dir.path() / pathFromUtf8("提出用"));
    EXPECT_EQ(readAll(dir.write("提出用/QPVXJ00.SRL", kBytes)), kExpected);
}

// Beyond the 260 characters where the old Windows file names end.
TEST(ImageFileOpen, PathLongerThan260Characters) {
    test::TempDir dir;
    std::string relative;
    for (int level = 0; level < 4; ++level) {
        relative += std::string(70, static_cast<char>('a' + level)) + "/";
        fs::create_directory(dir.path() / pathFromUtf8(relative));
    }
    const std::string path = dir.write(relative + "QPVXJ00.SRL", kBytes);
    ASSERT_GT(path.size(), 260u);
    EXPECT_EQ(readAll(path), kExpected);
}

TEST(ImageFileOpen, ForwardSlashesAndDotDot) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "sub");
    dir.write("img.bin", kBytes);
    EXPECT_EQ(readAll(utf8FromPath(dir.path()) + "/sub/../img.bin"), kExpected);
}

// The reader asks for read access only, so a file nobody may write still opens.
TEST(ImageFileOpen, ReadOnlyFile) {
    test::TempDir dir;
    const std::string path = dir.write("locked.bin", kBytes);
    fs::permissions(pathFromUtf8(path), fs::perms::owner_read, fs::perm_options::replace);
    EXPECT_EQ(readAll(path), kExpected);
    fs::permissions(pathFromUtf8(path), fs::perms::owner_all, fs::perm_options::replace);
}

// Another program writing the file (say, the build still running) does not lock the reader out,
// and the reader does not lock out the writer.
TEST(ImageFileOpen, FileOpenForWritingElsewhere) {
    test::TempDir dir;
    const std::string path = dir.write("growing.bin", kBytes);
    std::ofstream writer(pathFromUtf8(path), std::ios::binary | std::ios::app);
    ASSERT_TRUE(writer.is_open());
    auto file = ImageFile::open(path);
    ASSERT_TRUE(file.has_value());
    writer << "more";
    writer.flush();
    EXPECT_TRUE(writer.good());
    EXPECT_EQ(file->size(), kBytes.size());
}

struct RefusedRow {
    const char* name;
    std::string relative;  // under the temp folder; empty for the empty name
};

class ImageFileRefuses : public testing::TestWithParam<RefusedRow> {};

TEST_P(ImageFileRefuses, GivesNothing) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "folder");
    dir.write("present.bin", kBytes);
    // Joined as text: a name that is not UTF-8 cannot go through the file-system path type on Windows.
    const std::string path =
        GetParam().relative.empty() ? std::string() : utf8FromPath(dir.path()) + "/" + GetParam().relative;
    EXPECT_FALSE(ImageFile::open(path).has_value());
}

INSTANTIATE_TEST_SUITE_P(Names, ImageFileRefuses,
                         testing::Values(RefusedRow{"EmptyName", ""}, RefusedRow{"MissingFile", "absent.bin"},
                                         RefusedRow{"Folder", "folder"},
                                         RefusedRow{"FileUsedAsFolder", "present.bin/inner.bin"},
                                         RefusedRow{"BrokenUtf8Name", "present\xff.bin"}),
                         [](const testing::TestParamInfo<RefusedRow>& row) { return std::string(row.param.name); });

struct NameRow {
    const char* name;
    std::string_view path;
    std::string_view fileName;
};

class FileNamePart : public testing::TestWithParam<NameRow> {};

TEST_P(FileNamePart, IsTheLastComponent) {
    const std::string_view path = GetParam().path;
    EXPECT_EQ(path.substr(fileNameStart(path)), GetParam().fileName);
}

const NameRow kNameRows[] = {
    {"BareName", "QPVXJ00.SRL", "QPVXJ00.SRL"},
    {"SlashPath", "/home/dev/QPVXJ00.SRL", "QPVXJ00.SRL"},
    {"TrailingSlash", "roms/", ""},
#ifdef _WIN32
    {"BackslashPath", "C:\\roms\\QPVXJ00.SRL", "QPVXJ00.SRL"},
    {"MixedSeparators", "C:\\roms/sub\\QPVXJ00.SRL", "QPVXJ00.SRL"},
    {"DriveRelative", "D:QPVXJ00.SRL", "QPVXJ00.SRL"},
#else
    {"BackslashIsPartOfTheName", "roms\\QPVXJ00.SRL", "roms\\QPVXJ00.SRL"},
    {"ColonIsPartOfTheName", "D:QPVXJ00.SRL", "D:QPVXJ00.SRL"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Paths, FileNamePart, testing::ValuesIn(kNameRows),
                         [](const testing::TestParamInfo<NameRow>& row) { return std::string(row.param.name); });

// The side files are looked for beside the program, so the folder must be the program's own.
TEST(ProgramDirectory, HoldsTheRunningProgram) {
    const fs::path dir = pathFromUtf8(programDirectory());
    EXPECT_TRUE(dir.is_absolute()) << programDirectory();
    std::error_code ec;
    EXPECT_TRUE(fs::is_regular_file(dir / PARVEX_TEST_PROGRAM_NAME, ec)) << programDirectory();
}

}  // namespace
}  // namespace parvex
