// Files of the tests, native and under Wine: a folder of their own under the
// system's temporary folder, and whole files read and written as bytes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
inline int TestProcessId() { return _getpid(); }
#else
#include <unistd.h>
inline int TestProcessId() { return static_cast<int>(getpid()); }
#endif

// A new empty folder, removed with what it holds at scope end. Named after
// the process, so that test programs running side by side keep apart.
class TempDir {
public:
    TempDir()
        : m_path(std::filesystem::temp_directory_path() /
                 ("vennox-test-" + std::to_string(TestProcessId()) + "-" + std::to_string(s_next++)))
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
        std::filesystem::create_directories(m_path, ec);
        EXPECT_FALSE(ec) << "cannot create " << m_path.string() << ": " << ec.message();
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    const std::filesystem::path& path() const { return m_path; }

private:
    static inline int s_next = 0;
    std::filesystem::path m_path;
};

inline std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::filesystem::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}
