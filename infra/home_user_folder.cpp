#include "infra/home_user_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

namespace {

std::string Folder(const std::string& path) {
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    if (normal.back() != '/') normal += '/';
    return normal;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string PasswordDatabaseHome() {
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr)
        return "";
    return found->pw_dir;
}

// Undoes the folders made so far when a later step fails.
class MadeFolders {
public:
    explicit MadeFolders(const THomeUserFolder& folder) : folder_(folder) {}
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;

    void Make(const std::string& path, mode_t mode) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) return;
            Fail("Cannot create folder", path, "A file of that name exists");
        }
        if (mkdir(path.c_str(), mode) != 0) Fail("Cannot create folder", path, std::strerror(errno));
        made_.push_back(path);
    }

    void CheckWritable(const std::string& path) {
        if (access(path.c_str(), W_OK | X_OK) != 0) Fail("Cannot write to folder", path, std::strerror(errno));
    }

    [[noreturn]] void Fail(const char* what, const std::string& path, const std::string& reason) {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) rmdir(it->c_str());
        throw Exception(std::string(what) + " \"" + path + "\". " + reason + " (the user folder is \"" +
                        folder_.Path + "\", from " + folder_.Source + ")");
    }

private:
    const THomeUserFolder& folder_;
    std::vector<std::string> made_;
};

}  // namespace

THomeUserFolder FindHomeUserFolder() {
    THomeUserFolder result;
    const std::string xdg = Variable("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') {
        result.Path = Folder(xdg + "/orbitfall");
        result.Source = "XDG_DATA_HOME";
        return result;
    }
    result.IgnoredXdgDataHome = xdg;

    std::string home = Variable("HOME");
    result.Source = "HOME";
    if (home.empty() || home.front() != '/') {
        home = PasswordDatabaseHome();
        result.Source = "the password database";
    }
    if (home.empty() || home.front() != '/')
        throw Exception("No folder for user files: neither XDG_DATA_HOME nor HOME is an absolute path");
    result.Path = Folder(home + "/.local/share/orbitfall");
    return result;
}

void CreateHomeUserFolder(const THomeUserFolder& folder) {
    MadeFolders made(folder);
    const std::string user = folder.Path.substr(0, folder.Path.size() - 1);
    // The base folders above ours (~/.local, ~/.local/share or XDG_DATA_HOME)
    // may not exist on a fresh account.
    for (std::size_t slash = user.find('/', 1); slash != std::string::npos; slash = user.find('/', slash + 1))
        made.Make(user.substr(0, slash), 0700);
    made.Make(user, 0777);
    // An existing "replays" in another letter case is the one the game uses.
    const std::string replays = FindExistingCase(folder.Path + "Replays");
    const std::string maps = FindExistingCase(folder.Path + "Maps");
    made.Make(replays, 0777);
    made.Make(maps, 0777);
    for (const std::string& path : {user, replays, maps}) made.CheckWritable(path);
}

}  // namespace orbitfall
