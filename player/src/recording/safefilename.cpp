#include "safefilename.h"

namespace zelkaplayer {

namespace {
bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}
} // namespace

std::string safeFileName(const std::string &name)
{
    size_t start = 0;
    while (start < name.size() && isSeparator(name[start]))
        ++start;
    std::string safe = name.substr(start);
    bool leading = true;
    for (char &c : safe) {
        if (isSeparator(c) || isControl(c) || (leading && c == '.'))
            c = '_';
        else
            leading = false;
    }
    return safe;
}

std::string pathInFolder(const std::string &folder, const std::string &name)
{
    const std::string safe = safeFileName(name);
    if (safe.empty())
        return {};
    if (folder.empty())
        return safe;
    return isSeparator(folder.back()) ? folder + safe : folder + "/" + safe;
}

} // namespace zelkaplayer

namespace zelkaplayer {

std::string numberedPath(const std::string &path, int number)
{
    const size_t nameStart = path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= nameStart)
        dot = path.size();
    return path.substr(0, dot) + "_" + std::to_string(number) + path.substr(dot);
}

} // namespace zelkaplayer
