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
