#include "link/posix/pty_detect.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>
#include <string>

namespace quillon {

namespace {

bool ParseUnsigned(const std::string& text, unsigned& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

// "0-1048575" or "3"
bool MinorInRange(const std::string& range, unsigned minor) {
    const auto dash = range.find('-');
    unsigned low = 0;
    unsigned high = 0;
    if (dash == std::string::npos) {
        if (!ParseUnsigned(range, low)) return false;
        high = low;
    } else if (!ParseUnsigned(range.substr(0, dash), low) || !ParseUnsigned(range.substr(dash + 1), high)) {
        return false;
    }
    return minor >= low && minor <= high;
}

// Linux numbers: Unix98 slaves use majors 136..143, the old BSD slaves 3.
bool WellKnownPtyMajor(unsigned major) { return (major >= 136 && major <= 143) || major == 3; }

}  // namespace

bool DriversTableMarksPty(std::string_view driversTable, unsigned major, unsigned minor) {
    std::istringstream lines{std::string(driversTable)};
    std::string line;
    while (std::getline(lines, line)) {
        // Columns: driver name, device path, major, minor range, type.
        std::istringstream fields(line);
        std::string name, path, majorText, minors, type;
        if (!(fields >> name >> path >> majorText >> minors >> type)) continue;
        if (type.rfind("pty:", 0) != 0) continue;
        unsigned lineMajor = 0;
        if (ParseUnsigned(majorText, lineMajor) && lineMajor == major && MinorInRange(minors, minor)) return true;
    }
    return false;
}

bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned major = ::major(st.st_rdev);
    const unsigned minor = ::minor(st.st_rdev);
    std::ifstream drivers("/proc/tty/drivers");
    if (!drivers) return WellKnownPtyMajor(major);
    std::ostringstream text;
    text << drivers.rdbuf();
    return DriversTableMarksPty(text.str(), major, minor);
}

}  // namespace quillon
