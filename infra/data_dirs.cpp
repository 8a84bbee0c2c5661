#include "infra/data_dirs.h"

#include <array>
#include <filesystem>

#include "infra/errors.h"
#include "infra/file_system.h"
#include "infra/home_user_folder.h"
#include "infra/text_format.h"

namespace orbitfall {

namespace {

std::string dataDir;
std::string userDir;
std::string ignoredXdgDataHome;

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

namespace {

// The data folder and layout only: the home folder is asked for only when it
// is going to be used.
TDataFolders FindDataFolder(const std::string& exeDir) {
    const std::string exe = NormalisedFolder(exeDir);
    TDataFolders found;
    const struct {
        TDataLayout layout;
        const char* data;
        const char* user;
    } layouts[] = {
        {TDataLayout::BesideProgram, "Data/", "UserFiles/"},
        {TDataLayout::GameFolder, "../Game/Data/", "../Game/UserFiles/"},
        {TDataLayout::Installed, "../share/orbitfall/Data/", ""},
    };
    for (const auto& l : layouts) {
        const std::string data = NormalisedFolder(exe + l.data);
        if (!DirectoryExists(data)) continue;
        found.Layout = l.layout;
        found.Data = OnDiskFolder(data);
        if (*l.user != '\0') found.User = NormalisedFolder(exe + l.user);
        return found;
    }
    throw Exception("Data not found");
}

}  // namespace

TDataFolders FindDataFolders(const std::string& exeDir) {
    TDataFolders found = FindDataFolder(exeDir);
    if (found.Layout == TDataLayout::Installed) {
        const THomeUserFolder home = FindHomeUserFolder();
        found.User = home.Path;
        found.UserSource = home.Source;
        found.IgnoredXdgDataHome = home.IgnoredXdgDataHome;
    }
    return found;
}

void LocateDataDirs(const std::string& exeDir, const std::string& userDirOverride) {
    if (!userDirOverride.empty()) {
        SetDataDirs(FindDataFolder(exeDir).Data, userDirOverride);
        return;
    }
    const TDataFolders found = FindDataFolders(exeDir);
    if (found.Layout == TDataLayout::Installed) {
        CreateHomeUserFolder({found.User, found.UserSource, found.IgnoredXdgDataHome});
        dataDir = found.Data;
        userDir = OnDiskFolder(found.User);
        ignoredXdgDataHome = found.IgnoredXdgDataHome;
        return;
    }
    dataDir = found.Data;
    userDir = found.User;
    CreateUserFolders();
}

const std::string& IgnoredXdgDataHome() { return ignoredXdgDataHome; }

void SetDataDirs(const std::string& dataDirName, const std::string& userDirName) {
    dataDir = OnDiskFolder(NormalisedFolder(dataDirName));
    userDir = NormalisedFolder(userDirName);
    CreateUserFolders();
}

void ClearDataDirs() {
    dataDir.clear();
    userDir.clear();
    ignoredXdgDataHome.clear();
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
