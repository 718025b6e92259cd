// A real temporary folder under /tmp for the backend tests, removed with everything in
// it (at any depth, whatever the permissions) when the test ends.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kirramo::posix::testing {

inline void RemoveAt(int at, const char* name) {
    struct stat st;
    if (fstatat(at, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        fchmodat(at, name, 0700, 0);
        int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            if (DIR* d = fdopendir(fd)) {
                while (struct dirent* e = readdir(d)) {
                    std::string n = e->d_name;
                    if (n != "." && n != "..") RemoveAt(dirfd(d), n.c_str());
                }
                closedir(d);
            } else {
                close(fd);
            }
        }
        unlinkat(at, name, AT_REMOVEDIR);
    } else {
        unlinkat(at, name, 0);
    }
}

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/kirramo-test-XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
    }
    ~TempFolder() {
        if (!path_.empty()) RemoveAt(AT_FDCWD, path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Makes a file with the given content; true on success.
inline bool WriteFile(const std::string& path, const std::string& content) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    return close(fd) == 0 && ok;
}

}  // namespace kirramo::posix::testing
