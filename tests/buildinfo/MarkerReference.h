#pragma once

// The window search written out literally, one scan after the other, as the slow and obvious
// routine the real scan is compared with. Windows are sound at their ends: every start position
// before 16384 is tried, a match may run on into the 256 overlap bytes, the bytes after the last
// whole window form one more, shorter window, and nothing beyond the image is matched. The buffer
// past the end of the image holds zeros.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "buildinfo/MarkerSearch.h"
#include "buildinfo/MarkerText.h"
#include "run/Session.h"

namespace parvex::reference {

inline constexpr std::size_t kWindow = 16384;
inline constexpr std::size_t kWindowRead = 16640;

inline std::uint32_t le32At(const std::vector<std::uint8_t>& image, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k)
        if (at + k < image.size()) v |= static_cast<std::uint32_t>(image[at + k]) << (8 * k);
    return v;
}

inline std::size_t windowCount(const std::vector<std::uint8_t>& image) {
    return (image.size() + kWindow - 1) / kWindow;
}

// Reads window w into buf as a seek and a read would; returns the bytes the image supplied.
inline std::size_t readWindow(const std::vector<std::uint8_t>& image, std::size_t w, std::vector<std::uint8_t>& buf) {
    buf.assign(kWindowRead, 0);
    const std::size_t start = w * kWindow;
    const std::size_t got = std::min(kWindowRead, image.size() - start);
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(start), got, buf.begin());
    return got;
}

inline std::string cText(const std::uint8_t* bytes, std::size_t n) {
    std::string text;
    for (std::size_t k = 0; k < n && bytes[k] != 0; ++k) text += static_cast<char>(bytes[k]);
    return text;
}

inline void sdkMarkerScan(Session& s, const std::vector<std::uint8_t>& image) {
    const std::uint32_t arm9Offset = le32At(image, 0x020);
    const std::uint32_t arm9Size = le32At(image, 0x02C);
    std::vector<std::uint8_t> buf;
    for (std::size_t w = 0; w < windowCount(image); ++w) {
        const std::size_t got = readWindow(image, w, buf);
        const std::size_t p = w * kWindow + got;
        std::size_t pos = 0;
        std::size_t j = 0;
        while (pos - j < kWindow && pos < got) {
            if (buf[pos] == kSdkMagic[j]) {
                if (j == kSdkMagic.size() - 1) {
                    const std::size_t st = pos - j;
                    // The version word: from the buffer, else from the image, else nothing (zero).
                    auto before = [&](std::size_t back) -> std::uint8_t {
                        if (st >= back) return buf[st - back];
                        const std::size_t at = w * kWindow + st;
                        return at >= back ? image[at - back] : std::uint8_t{0};
                    };
                    const auto r = static_cast<std::uint16_t>(before(4) + 256 * before(3));
                    const bool isStatic =
                        static_cast<std::uint32_t>(static_cast<std::uint32_t>(p) - arm9Offset) < arm9Size;
                    s.model.sdkRows.push_back({sdkCaption(before(1), before(2), r, isStatic), isStatic});
                    pos = st + 1;
                    j = 0;
                } else {
                    ++pos;
                    ++j;
                }
            } else {
                pos = pos - j + 1;
                j = 0;
            }
        }
    }
}

inline void middlewareMarkerScan(Session& s, const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> buf;
    for (std::size_t w = 0; w < windowCount(image); ++w) {
        const std::size_t got = readWindow(image, w, buf);
        std::size_t pos = 0;
        std::size_t j = 0;
        while (pos - j < kWindow && pos < got) {
            if (buf[pos] == kMiddlewareOpening[j]) {
                if (j == kMiddlewareOpening.size() - 1) {
                    s.model.middlewareRows.push_back({});
                    std::uint8_t vendor[40] = {};
                    std::uint8_t module[60] = {};
                    std::size_t q = pos + 1;
                    std::size_t n = 0;
                    while (n < 39 && buf[q] != ':') vendor[n++] = buf[q++];
                    ++q;
                    s.model.setText(Field::Edit12, cText(vendor, n));
                    std::size_t m = 0;
                    while (m < 59 && buf[q] != ']') module[m++] = buf[q++];
                    const std::string subItem = moduleNameText(cText(module, m));
                    s.model.middlewareRows.back().module = subItem;
                    s.model.setText(Field::Edit10, cText(module, m));
                    if (s.model.text(Field::Edit12) == "VELTRANE" && s.model.text(Field::Edit10) == "KELBO") {
                        s.model.setText(Field::Edit13, subItem);
                        s.state.Final_Build = 0;
                    }
                    s.model.middlewareRows.back().development = cText(vendor, n);
                    const std::string& e10 = s.model.text(Field::Edit10);
                    if (e10 == "TORVEN" || e10 == "QTM" || e10 == "RVN") s.model.middlewareRows.pop_back();
                    pos = q - 3;
                    j = 0;
                } else {
                    ++pos;
                    ++j;
                }
            } else {
                pos = pos - j + 1;
                j = 0;
            }
        }
    }
}

}  // namespace parvex::reference
