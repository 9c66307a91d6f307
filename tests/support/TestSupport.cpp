#include "TestSupport.h"

#include "text/Cp932Codec.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zentu::test {

TempDir::TempDir() {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("zentu-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(m_path, ignored);
}

void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string Sjis(std::string_view utf8) {
    auto result = Cp932Codec::encode(utf8);
    if (!result.ok) {
        throw std::runtime_error("test text not in CP932: " + std::string(utf8));
    }
    return result.text;
}

std::filesystem::path BinDir() {
    return ZENTU_TEST_BIN_DIR;
}

Watchdog::Watchdog(int seconds) {
    m_thread = std::thread([this, seconds] {
        std::unique_lock lock(m_mutex);
        if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_over; })) {
            std::fprintf(stderr, "The test waited more than %d seconds: it is ended.\n", seconds);
            std::abort();
        }
    });
}

Watchdog::~Watchdog() {
    {
        const std::lock_guard lock(m_mutex);
        m_over = true;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace zentu::test
