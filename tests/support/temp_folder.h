#pragma once
// A fresh folder under the system's temporary directory for one test, removed
// with everything in it when the test ends. Tests never touch Game/UserFiles.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace orbitfall::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbitfall-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    // Absolute, ending in '/'.
    const std::string& Path() const { return path_; }

    // Creates the file (and its folders) below the temporary folder.
    std::string WriteFile(const std::string& relative, const std::string& contents = "x") const {
        std::filesystem::path file = path_ + relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
        return file.string();
    }

    std::string MakeDir(const std::string& relative) const {
        std::filesystem::create_directories(path_ + relative);
        return path_ + relative;
    }

    bool Exists(const std::string& relative) const { return std::filesystem::exists(path_ + relative); }

private:
    std::string path_;
};

}  // namespace orbitfall::testing
