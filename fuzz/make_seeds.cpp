// parvex_fuzz_seeds DIR: writes the seed corpora of the three fuzz targets into DIR/check_run,
// DIR/maker_list and DIR/marker_diff, all cut from our own sample image or written here.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "buildinfo/MarkerSearch.h"
#include "core/RomHeader.h"
#include "tools/SampleImage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::size_t kWindow = 16384;
constexpr std::size_t kSeedImage = 64 * 1024;

Bytes text(std::string_view t) { return {t.begin(), t.end()}; }

void put(Bytes& image, std::size_t at, const Bytes& bytes) {
    if (image.size() < at + bytes.size()) image.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

void putLe32(Bytes& image, std::size_t at, std::uint32_t v) {
    put(image, at,
        {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
         static_cast<std::uint8_t>(v >> 24)});
}

Bytes sdkMarker(std::uint8_t major, std::uint8_t minor, std::uint16_t step) {
    Bytes b(4 + parvex::kSdkMagic.size());
    b[0] = static_cast<std::uint8_t>(step & 0xFF);
    b[1] = static_cast<std::uint8_t>(step >> 8);
    b[2] = minor;
    b[3] = major;
    std::copy(parvex::kSdkMagic.begin(), parvex::kSdkMagic.end(), b.begin() + 4);
    return b;
}

Bytes prefix(const Bytes& image, std::size_t n) {
    return {image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n)};
}

// The sample's first 64 KiB with markers on and around the ends of its windows.
Bytes markedImage(const Bytes& sample) {
    Bytes image = prefix(sample, kSeedImage);
    put(image, kWindow - 12, sdkMarker(4, 2, 20105));           // its magic begins 8 bytes before the window end
    put(image, 2 * kWindow - 3, text("[SDK+VELTRANE:KELBO]"));  // across a window end
    put(image, 2 * kWindow + 40, text("[SDK+ACME:TORVEN]"));
    put(image, 2 * kWindow + 80, text("[SDK+VELTRANE:Kiro1.2.20000.0830]"));
    put(image, 2 * kWindow + 140, text("[SDK+" + std::string(50, 'V') + ":HLX-DL3.0.30100.B]"));
    put(image, 3 * kWindow - 30, text("[SDK+ACME:" + std::string(70, 'M')));  // module with no "]"
    put(image, kSeedImage - 10, sdkMarker(0x12, 0, 0));                       // runs off the end of the image
    return image;
}

void write(const fs::path& dir, std::string_view name, const Bytes& bytes) {
    fs::create_directories(dir);
    std::FILE* f = std::fopen((dir / name).c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// check_run input: name length, name, image.
Bytes named(std::string_view name, const Bytes& image) {
    Bytes b{static_cast<std::uint8_t>(name.size())};
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), image.begin(), image.end());
    return b;
}

// marker_diff input: choice byte, ARM9 ROM offset and size words, image.
Bytes withWords(std::uint8_t choice, std::uint32_t offset, std::uint32_t size, const Bytes& image) {
    Bytes b{choice};
    putLe32(b, 1, offset);
    putLe32(b, 5, size);
    b.insert(b.end(), image.begin(), image.end());
    return b;
}

// maker_list input: count of codes, the codes, the list.
Bytes lookup(std::string_view codes, std::string_view list) {
    Bytes b{static_cast<std::uint8_t>(codes.size() / 2 - 1)};
    b.insert(b.end(), codes.begin(), codes.end());
    b.insert(b.end(), list.begin(), list.end());
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1];
    const Bytes sample = parvex::buildSampleImage(parvex::sampleOptionsForName("QPVXJ00.SRL"));
    const Bytes marked = markedImage(sample);

    const fs::path run = out / "check_run";
    write(run, "sample_64k", named("QPVXJ00.SRL", prefix(sample, kSeedImage)));
    write(run, "marked_64k", named("QPVXJ00.SRL", marked));
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{383}, std::size_t{0x4000}, kWindow - 1,
                          kWindow + 1, kWindow + 256, 2 * kWindow + 5})
        write(run, "prefix_" + std::to_string(n), named("QPVXJ00.SRL", prefix(marked, n)));
    write(run, "name_lower", named("qpvxj00.srl", prefix(sample, kWindow)));
    write(run, "name_japanese", named("\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.SRL", prefix(sample, kWindow)));
    write(run, "name_invalid_utf8", named("Q\xFF\xFE\x80J00.SRL", prefix(sample, kWindow)));
    Bytes farOffset = prefix(sample, kWindow);
    putLe32(farOffset, parvex::kArm9RomOffset, 0xFFFFFFFF);
    write(run, "offset_past_end", named("QPVXJ00.SRL", farOffset));

    const fs::path markers = out / "marker_diff";
    write(markers, "sample_64k", withWords(0x00, 0x4000, 0x8000, prefix(sample, kSeedImage)));
    write(markers, "marked_64k", withWords(0x05, 0x4000, 0x101, marked));
    write(markers, "marked_small_reads", withWords(0x12, 0x0, 0x4100, marked));
    write(markers, "static_edge", withWords(0x09, 0x4000, 0x100, prefix(marked, 2 * kWindow + 300)));
    for (std::size_t n : {kWindow - 1, kWindow, kWindow + 7, kWindow + 256, 3 * kWindow - 1})
        write(markers, "prefix_" + std::to_string(n), withWords(0x0D, 0x4000, 0x4000, prefix(marked, n)));

    const fs::path makers = out / "maker_list";
    // Shift-JIS names as the lists are stored, CR LF line ends.
    const std::string sjis = "01,\x83\x41\x83\x8B\x83\x74\x83\x40,Alpha Games\r\n"
                             "8P, ,Sample Maker\r\n"
                             "AA,?,?\r\n"
                             "AB,?,Beta Soft\r\n"
                             "0a,\x83\x41,lower\r\n";
    write(makers, "shift_jis", lookup("018PAAAB", sjis));
    write(makers, "utf8",
          lookup("01ZZ", "01,\xE3\x82\xA2\xE3\x83\xAB\xE3\x83\x95\xE3\x82\xA1,Alpha Games\n"
                         "ZZ,Zed,Zed Works"));
    write(makers, "long_lines",
          lookup("0Z01", std::string(60, 'x') + "\n0Z,name,English" + std::string(50, 'e') + "\n01," +
                             std::string(70, 'J') + ",E\n"));
    write(makers, "no_comma", lookup("01", "01,name without comma"));
    write(makers, "empty", lookup("01", ""));
    write(makers, "bad_codes", lookup("00[0ab0\n", sjis));
    return 0;
}
