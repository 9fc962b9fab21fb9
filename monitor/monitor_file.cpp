#include "monitor/monitor_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "monitor/monitor_text.h"

namespace quillon {

namespace {

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool SaveMonitorEntries(const MonitorRing& entries, const std::string& path, std::string& error) {
    std::string content;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        content += EntryLine(entries.at(i));
        content += '\n';
    }
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const auto fail = [&](int code) {
        error = std::strerror(code);
        ::unlink(temporary.c_str());
        return false;
    };
    // mkstemp makes the file private; a saved log is an ordinary document.
    if (::fchmod(fd, 0644) != 0 || !WriteAll(fd, content) || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    if (::close(fd) != 0) return fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);
    return true;
}

}  // namespace quillon
