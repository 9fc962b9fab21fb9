#pragma once

#include <cstdlib>
#include <string>

namespace quillon::testing {

// Environment changes for tests (time zone, folders). The C runtime of
// Windows has no setenv; its own call takes an empty value as removal.
inline void SetEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnvironment(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), "");
#else
    unsetenv(name.c_str());
#endif
}

}  // namespace quillon::testing
