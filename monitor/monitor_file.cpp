#include "monitor/monitor_file.h"

#include "link/file_access.h"
#include "monitor/monitor_text.h"

namespace quillon {

bool SaveMonitorEntries(const MonitorRing& entries, const std::string& path, std::string& error) {
    std::string content;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        content += EntryLine(entries.at(i));
        content += '\n';
    }
    // A saved log is an ordinary document, readable by the user's other tools.
    return ReplaceSmallFile(path, content, 0644, error);
}

}  // namespace quillon
