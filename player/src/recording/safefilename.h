#pragma once

#include <string>

namespace zelkaplayer {

// A file name that stays inside its folder: separators, control characters and
// leading dots become '_'; leading separators (callers pass "/name.mp4") are
// dropped. Ordinary names come back byte-identical. Empty when nothing is left.
std::string safeFileName(const std::string &name);

// folder + "/" + safeFileName(name), or empty when the name is unusable.
std::string pathInFolder(const std::string &folder, const std::string &name);

// The same path with "_<number>" before the extension: "a/b.mp4", 2 -> "a/b_2.mp4".
std::string numberedPath(const std::string &path, int number);

} // namespace zelkaplayer
