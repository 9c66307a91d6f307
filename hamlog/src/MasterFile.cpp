#include "MasterFile.h"

#include "SystemCalls.h"

#include <algorithm>
#include <vector>

namespace hamlog::detail {

namespace {

constexpr const char* kMasterExtension = ".mst";

struct SplitName {
    std::string folder; // with its trailing separator, or empty for the current folder
    std::string stem;
};

SplitName SplitLogPath(const std::string& hdbPath) {
    const std::size_t nameStart = NameStart(hdbPath);
    SplitName split;
    split.folder = hdbPath.substr(0, nameStart);
    const std::string name = hdbPath.substr(nameStart);
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

} // namespace

std::string DefaultMasterFilePath(const std::string& hdbPath) {
    const SplitName split = SplitLogPath(hdbPath);
    return split.folder + split.stem + kMasterExtension;
}

bool FindMasterFile(const std::string& hdbPath, const std::function<bool(const std::string&)>& accept) {
    const SplitName split = SplitLogPath(hdbPath);
    const std::string wanted = split.stem + kMasterExtension;
    if (PathExists(split.folder + wanted) && accept(split.folder + wanted)) {
        return true;
    }
    // Windows finds the default spelling whatever the case; a Linux folder is looked through.
    std::vector<std::string> names;
    if (!FolderEntries(split.folder, names)) {
        return false;
    }
    std::vector<std::string> matches;
    for (const std::string& name : names) {
        if (name != wanted && EqualIgnoringAsciiCase(name, wanted)) {
            matches.push_back(name);
        }
    }
    std::sort(matches.begin(), matches.end());
    for (const std::string& name : matches) {
        if (accept(split.folder + name)) {
            return true;
        }
    }
    return false;
}

bool IsMasterFileName(const std::string& hdbPath) {
    return EqualIgnoringAsciiCase(hdbPath.substr(NameStart(hdbPath)),
                                  DefaultMasterFilePath(hdbPath).substr(NameStart(hdbPath)));
}

bool HasReadableMasterFile(const std::string& hdbPath) {
    return FindMasterFile(hdbPath, [](const std::string& path) {
        const FileHandle file = OpenRegularFile(path, OpenFor::Reading);
        CloseFile(file);
        return file != kNoFile;
    });
}

} // namespace hamlog::detail
