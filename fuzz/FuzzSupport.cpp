#include "FuzzSupport.h"

#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace zentu::fuzz {

namespace {

struct Scratch {
    std::filesystem::path path;

    Scratch() {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string name = (base / "zentu-fuzz-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) {
            throw std::runtime_error("cannot make a scratch folder in " + base.string());
        }
        path = name;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

const std::filesystem::path& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

void WriteWhole(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror(file.c_str());
        std::abort();
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            std::perror(file.c_str());
            std::abort();
        }
        done += static_cast<std::size_t>(wrote);
    }
    ::close(fd);
}

} // namespace zentu::fuzz
