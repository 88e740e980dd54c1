// The build marker scans against their literal reference. Input: one byte choosing the search path,
// the read size and how the ARM9 words are taken; the ARM9 ROM offset and size words (0x020,
// 0x02C); then the image. The scans run both as one pass with the chosen path and read size and as
// the check run calls them; any difference from the reference in the rows, their captions and
// static flags, Edit10, Edit12, Edit13 or Final_Build is a finding.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "buildinfo/MarkerScan.h"
#include "core/ImageFile.h"
#include "fuzz/FuzzSupport.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/buildinfo/MarkerReference.h"

namespace {

using parvex::Field;
using parvex::Session;

struct Outcome {
    std::vector<parvex::SdkRow> sdk;
    std::vector<parvex::MiddlewareRow> middleware;
    std::string edit10, edit12, edit13;
    int finalBuild = 1;
};

bool sameOutcome(const Outcome& a, const Outcome& b) {
    if (a.sdk.size() != b.sdk.size() || a.middleware.size() != b.middleware.size()) return false;
    for (std::size_t i = 0; i < a.sdk.size(); ++i)
        if (a.sdk[i].caption != b.sdk[i].caption || a.sdk[i].isStatic != b.sdk[i].isStatic) return false;
    for (std::size_t i = 0; i < a.middleware.size(); ++i)
        if (a.middleware[i].development != b.middleware[i].development ||
            a.middleware[i].module != b.middleware[i].module)
            return false;
    return a.edit10 == b.edit10 && a.edit12 == b.edit12 && a.edit13 == b.edit13 && a.finalBuild == b.finalBuild;
}

// A window as a run leaves it before the scans: an earlier run's texts in the working boxes.
void prepare(Session& s, std::uint64_t size) {
    s.state.File_Size = size;
    s.state.Final_Build = 1;
    s.model.setText(Field::Edit10, "earlier module");
    s.model.setText(Field::Edit12, "earlier vendor");
    s.model.setText(Field::Edit13, "earlier row");
}

Outcome outcomeOf(const Session& s) {
    return {s.model.sdkRows,
            s.model.middlewareRows,
            s.model.text(Field::Edit10),
            s.model.text(Field::Edit12),
            s.model.text(Field::Edit13),
            s.state.Final_Build};
}

// The image lives in a memory file, opened through its /proc path like any file by name.
const std::string& imagePath() {
    static const std::string path = [] {
        const int fd = memfd_create("parvex-marker-image", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void storeImage(const std::vector<std::uint8_t>& image) {
    static const int fd = std::stoi(imagePath().substr(imagePath().rfind('/') + 1));
    if (ftruncate(fd, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < image.size()) {
        const ssize_t n = pwrite(fd, image.data() + done, image.size() - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
}

void putLe32(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t v) {
    for (std::size_t k = 0; k < 4; ++k) image[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

constexpr std::size_t kBlockSizes[] = {512, 700, 4096, parvex::ImageFile::kBlockSize};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace parvex;
    fuzz::InputReader in(data, size);
    const std::uint8_t choice = in.byte();
    std::uint32_t arm9Offset = in.le32();
    std::uint32_t arm9Size = in.le32();
    std::vector<std::uint8_t> image(in.rest(), in.rest() + in.restSize());
    // Words near the image size make the static verdict turn inside it, where its edges are.
    if (choice & 0x10) {
        const auto span = static_cast<std::uint32_t>(image.size() + 2 * reference::kWindow);
        arm9Offset %= span;
        arm9Size %= span;
    }
    if (image.size() >= 0x30) {
        putLe32(image, kArm9RomOffset, arm9Offset);
        putLe32(image, kArm9Size, arm9Size);
    }

    std::vector<MarkerPath> paths;
    for (MarkerPath p : {MarkerPath::Portable, MarkerPath::Avx2, MarkerPath::Avx512})
        if (markerPathAvailable(p)) paths.push_back(p);
    const MarkerPath path = paths[(choice & 0x03) % paths.size()];
    const std::size_t blockSize = kBlockSizes[(choice >> 2) & 0x03];

    Session expected{""};
    prepare(expected, image.size());
    reference::sdkMarkerScan(expected, image);
    reference::middlewareMarkerScan(expected, image);
    const Outcome want = outcomeOf(expected);

    storeImage(image);
    {
        Session s{""};
        prepare(s, image.size());
        auto file = ImageFile::open(imagePath());
        if (!file) std::abort();
        MarkerScanResult found = scanMarkers(*file, image.size(), path, MarkerScanKinds::Both, blockSize);
        s.model.sdkRows = std::move(found.sdkRows);
        if (publishMiddlewareScan(s.model, found.middleware)) s.state.Final_Build = 0;
        if (!sameOutcome(outcomeOf(s), want)) __builtin_trap();
    }
    {
        Session s{""};
        s.fileName = imagePath();
        prepare(s, image.size());
        auto file = ImageFile::open(imagePath());
        if (!file) std::abort();
        const ImageRecord record = readImage(*file);
        runStep(s, Step::ScanSdkMarkers, record);
        runStep(s, Step::ScanMiddlewareMarkers, record);
        if (!sameOutcome(outcomeOf(s), want)) __builtin_trap();
    }
    return 0;
}
