#include "MasterFile.h"

#include "DbfTable.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hamlog::detail {

namespace {

constexpr const char* kMasterExtension = ".mst";

struct SplitName {
    std::string folder; // with its trailing '/', or empty for the current folder
    std::string stem;
};

SplitName SplitLogPath(const std::string& hdbPath) {
    const std::size_t slash = hdbPath.rfind('/');
    SplitName split;
    std::string name;
    if (slash == std::string::npos) {
        name = hdbPath;
    } else {
        split.folder = hdbPath.substr(0, slash + 1);
        name = hdbPath.substr(slash + 1);
    }
    // "LOG.hdb" -> "LOG"; a leading dot does not start an extension (".hdb" stays ".hdb").
    const std::size_t dot = name.rfind('.');
    split.stem = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
    return split;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string DefaultMasterFilePath(const std::string& hdbPath) {
    const SplitName split = SplitLogPath(hdbPath);
    return split.folder + split.stem + kMasterExtension;
}

bool FindMasterFile(const std::string& hdbPath, const std::function<bool(const std::string&)>& accept) {
    const SplitName split = SplitLogPath(hdbPath);
    const std::string wanted = split.stem + kMasterExtension;
    if (Exists(split.folder + wanted) && accept(split.folder + wanted)) {
        return true;
    }
    DIR* folder = ::opendir(split.folder.empty() ? "." : split.folder.c_str());
    if (folder == nullptr) {
        return false;
    }
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != wanted && EqualIgnoringAsciiCase(name, wanted)) {
            matches.push_back(name);
        }
    }
    ::closedir(folder);
    std::sort(matches.begin(), matches.end());
    for (const std::string& name : matches) {
        if (accept(split.folder + name)) {
            return true;
        }
    }
    return false;
}

bool HasReadableMasterFile(const std::string& hdbPath) {
    return FindMasterFile(hdbPath, [](const std::string& path) {
        const int fd = OpenRegularFile(path.c_str(), O_RDONLY);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
        return true;
    });
}

} // namespace hamlog::detail
