#include "infra/data_dirs.h"

#include <array>
#include <filesystem>

#include "infra/errors.h"
#include "infra/file_system.h"
#include "infra/text_format.h"

namespace orbitfall {

namespace {

std::string dataDir;
std::string userDir;

// Absolute, without "." and ".." steps, ending in '/'. Lexical on purpose: the
// folder names are shown and compared, and a symlinked build folder must not
// turn "build/../Game" into some other tree.
std::string NormalisedFolder(const std::string& folder) {
    std::filesystem::path path(ToNativeSeparators(folder));
    std::string normal = std::filesystem::absolute(path).lexically_normal().string();
    if (normal.empty() || normal.back() != '/') normal += '/';
    return normal;
}

// Existing folders are named as spelled on disk, so that every path built on
// them is spelled right without another case search.
std::string OnDiskFolder(const std::string& folder) {
    std::string found = FindExistingCase(folder);
    if (found.back() != '/') found += '/';
    return found;
}

void CreateUserFolders() {
    // Single-level creates; a failure shows later, when a file in them cannot be written.
    CreateDir(userDir);
    CreateDir(userDir + "Replays");
    CreateDir(userDir + "Maps");
    userDir = OnDiskFolder(userDir);
}

}  // namespace

const std::string& DataDir() { return dataDir; }
const std::string& UserDir() { return userDir; }

void LocateDataDirs(const std::string& exeDir) {
    std::string exe = NormalisedFolder(exeDir);
    std::string data = NormalisedFolder(exe + "Data/");
    std::string user = NormalisedFolder(exe + "UserFiles/");
    if (!DirectoryExists(data)) {
        data = NormalisedFolder(exe + "../Game/Data/");
        user = NormalisedFolder(exe + "../Game/UserFiles/");
    }
    if (!DirectoryExists(data)) throw Exception("Data not found");
    dataDir = OnDiskFolder(data);
    userDir = user;
    CreateUserFolders();
}

void SetDataDirs(const std::string& dataDirName, const std::string& userDirName) {
    dataDir = OnDiskFolder(NormalisedFolder(dataDirName));
    userDir = NormalisedFolder(userDirName);
    CreateUserFolders();
}

void ClearDataDirs() {
    dataDir.clear();
    userDir.clear();
}

std::string ResolveFileName(const std::string& name) {
    if (name.find("..") != std::string::npos) throw Exception("Invalid Filename");
    const std::string native = ToNativeSeparators(name);

    for (const std::string* folder : {&userDir, &dataDir}) {
        if (auto found = ExistingFile(*folder + native)) return *found;
    }

    if (native.size() >= 4 && LowerAscii(native.substr(native.size() - 4)) == ".img") {
        // The user folder is searched with every extension before the data folder.
        static const std::array<const char*, 4> kImageExtensions{".bmp", ".tga", ".png", ".jpg"};
        const std::string base = native.substr(0, native.size() - 4);
        for (const std::string* folder : {&userDir, &dataDir}) {
            for (const char* extension : kImageExtensions) {
                if (auto found = ExistingFile(*folder + base + extension)) return *found;
            }
        }
    }

    // A name that exists nowhere belongs to the user folder: that is where the
    // writers (replay, graphics-card report) create their files.
    return FindExistingCase(userDir + native);
}

}  // namespace orbitfall
