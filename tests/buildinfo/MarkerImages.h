#pragma once

// Images with build markers, and what a scan of them leaves in a window.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "MarkerReference.h"
#include "buildinfo/MarkerScan.h"
#include "core/ImageFile.h"
#include "run/Session.h"
#include "run/Steps.h"
#include "tests/support/TempDir.h"

namespace parvex::test {

using Bytes = std::vector<std::uint8_t>;

// The 12 bytes of an SDK version marker.
inline Bytes sdkMarker(std::uint8_t major, std::uint8_t minor, std::uint16_t step) {
    // Sized once: g++ 12 at -O3 takes an insert that grows a 4-byte vector for an overflow.
    Bytes b(4 + kSdkMagic.size());
    b[0] = static_cast<std::uint8_t>(step & 0xFF);
    b[1] = static_cast<std::uint8_t>(step >> 8);
    b[2] = minor;
    b[3] = major;
    std::copy(kSdkMagic.begin(), kSdkMagic.end(), b.begin() + 4);
    return b;
}

inline Bytes text(std::string_view t) { return {t.begin(), t.end()}; }

inline Bytes middlewareMarker(std::string_view vendor, std::string_view module) {
    return text("[SDK+" + std::string(vendor) + ":" + std::string(module) + "]");
}

inline void put(Bytes& image, std::size_t at, const Bytes& bytes) {
    if (image.size() < at + bytes.size()) image.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

inline void putLe32(Bytes& image, std::size_t at, std::uint32_t v) {
    put(image, at,
        {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
         static_cast<std::uint8_t>(v >> 24)});
}

// Everything the two scans leave in the window.
struct ScanOutcome {
    std::vector<std::string> sdk;         // caption, then "|static" for static rows
    std::vector<std::string> middleware;  // development "|" module
    std::string edit10, edit12, edit13;
    int finalBuild = 1;

    bool operator==(const ScanOutcome&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const ScanOutcome& o) {
    os << "sdk(" << o.sdk.size() << "):";
    for (const auto& r : o.sdk) os << " [" << r << "]";
    os << " middleware(" << o.middleware.size() << "):";
    for (const auto& r : o.middleware) os << " [" << r << "]";
    return os << " Edit10=" << o.edit10 << " Edit12=" << o.edit12 << " Edit13=" << o.edit13
              << " Final_Build=" << o.finalBuild;
}

// A window as a run leaves it before the scans: texts of an earlier run in the working boxes.
inline void prepare(Session& s, std::uint64_t size) {
    s.state.File_Size = size;
    s.state.Final_Build = 1;
    s.model.setText(Field::Edit10, "earlier module");
    s.model.setText(Field::Edit12, "earlier vendor");
    s.model.setText(Field::Edit13, "earlier row");
}

inline ScanOutcome outcomeOf(const Session& s) {
    ScanOutcome o;
    for (const SdkRow& r : s.model.sdkRows) o.sdk.push_back(r.caption + (r.isStatic ? "|static" : ""));
    for (const MiddlewareRow& r : s.model.middlewareRows) o.middleware.push_back(r.development + "|" + r.module);
    o.edit10 = s.model.text(Field::Edit10);
    o.edit12 = s.model.text(Field::Edit12);
    o.edit13 = s.model.text(Field::Edit13);
    o.finalBuild = s.state.Final_Build;
    return o;
}

inline ScanOutcome referenceOutcome(const Bytes& image) {
    Session s{""};
    prepare(s, image.size());
    reference::sdkMarkerScan(s, image);
    reference::middlewareMarkerScan(s, image);
    return outcomeOf(s);
}

// The two scans as the run calls them, on the image written to a file.
inline ScanOutcome scanOutcome(const Bytes& image) {
    TempDir dir;
    Session s{dir.path().string()};
    s.fileName = dir.write("image.srl", image);
    prepare(s, image.size());
    auto file = ImageFile::open(s.fileName);
    EXPECT_TRUE(file.has_value());
    if (!file) return {};
    const ImageRecord record = readImage(*file);
    runStep(s, Step::ScanSdkMarkers, record);
    runStep(s, Step::ScanMiddlewareMarkers, record);
    return outcomeOf(s);
}

// One pass with a chosen search path and read size, published as the scans publish it.
inline ScanOutcome pathOutcome(const std::string& path, std::uint64_t size, MarkerPath searchPath,
                               std::size_t blockSize) {
    Session s{""};
    prepare(s, size);
    auto file = ImageFile::open(path);
    EXPECT_TRUE(file.has_value());
    if (!file) return {};
    MarkerScanResult found = scanMarkers(*file, size, searchPath, MarkerScanKinds::Both, blockSize);
    s.model.sdkRows = std::move(found.sdkRows);
    if (publishMiddlewareScan(s.model, found.middleware)) s.state.Final_Build = 0;
    return outcomeOf(s);
}

inline const char* pathName(MarkerPath p) {
    switch (p) {
        case MarkerPath::Portable: return "Portable";
        case MarkerPath::Avx2: return "Avx2";
        case MarkerPath::Avx512: return "Avx512";
    }
    return "?";
}

}  // namespace parvex::test
