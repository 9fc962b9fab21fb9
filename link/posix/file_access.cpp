#include "link/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace quillon {

namespace {

std::string SystemText(int error) { return std::system_category().message(error); }

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string ParentFolder(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

SmallFileRead ReadSmallFile(const std::string& path, std::size_t maxSize, std::string& content, std::string& error) {
    content.clear();
    error.clear();
    // Non-blocking, so that a FIFO put in place of the file cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return SmallFileRead::Missing;
        error = SystemText(errno);
        return SmallFileRead::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = SystemText(errno);
    } else if (S_ISDIR(info.st_mode)) {
        error = SystemText(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        error = "Not a regular file";
    } else {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0) {
                if (errno == EINTR) continue;
                error = SystemText(errno);
                break;
            }
            if (n == 0) break;
            if (content.size() + static_cast<std::size_t>(n) > maxSize) {
                error = SystemText(EFBIG);
                break;
            }
            content.append(chunk, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return error.empty() ? SmallFileRead::Read : SmallFileRead::Failed;
}

bool ReplaceSmallFile(const std::string& path, const std::string& content, unsigned newFileMode, std::string& error) {
    // Write beside the real file when the name is a link, so the link survives.
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    unsigned mode = newFileMode;
    if (::stat(target.c_str(), &info) == 0) mode = info.st_mode & 07777;

    std::string temporary = target + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = SystemText(errno);
        return false;
    }
    const auto fail = [&](int code) {
        error = SystemText(code);
        ::unlink(temporary.c_str());
        return false;
    };
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0 || !WriteAll(fd, content) || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    if (::close(fd) != 0) return fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
    // The rename itself is only durable once the folder is flushed too.
    const int folder = ::open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

}  // namespace quillon
