#include "link/win32/system_error_text.h"

#include <windows.h>

#include "link/win32/wide_text.h"

namespace quillon {

std::string SystemErrorText(std::uint32_t error) {
    char* buffer = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (n > 0 && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (text.empty()) return "Error " + std::to_string(error);
    return Utf8FromAnsi(text);
}

}  // namespace quillon
