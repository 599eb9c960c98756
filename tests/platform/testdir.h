// A fresh temporary directory per test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TestDir {
public:
    TestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "platform-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string path(const std::string &name = "") const { return name.empty() ? path_ : path_ + "/" + name; }

    void write(const std::string &name, const std::string &text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string &name) const {
        std::ifstream in(path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(path(name)); }

private:
    std::string path_;
};
