#include "core/SideFiles.h"

#include "core/ImageFile.h"

namespace parvex {

std::string sidePath(const std::string& dir, const char* name) {
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool sideFilePresent(const std::string& dir, const char* name) {
    return ImageFile::open(sidePath(dir, name)).has_value();
}

}  // namespace parvex
