#include "link/posix/open_error.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "link/posix/errno_text.h"

namespace quillon {

std::optional<DeviceAccess> ReadDeviceAccess(const std::string& path) {
    DeviceAccess access;
    // The group of the device file counts, not that of a link in the
    // virtual-ports folder or under /dev/serial/by-id pointing at it.
    char resolved[PATH_MAX];
    access.path = ::realpath(path.c_str(), resolved) ? resolved : path;
    struct stat st {};
    if (::stat(access.path.c_str(), &st) != 0) return std::nullopt;
    if (const group* g = ::getgrgid(st.st_gid); g && g->gr_name)
        access.group = g->gr_name;
    else
        access.group = std::to_string(st.st_gid);
    access.groupMayOpen = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return access;
}

OpenFailure ClassifyOpenError(int error) {
    switch (error) {
        case 0: return OpenFailure::None;
        // ENOENT also covers a virtual port whose link points at a vanished pseudo-terminal.
        case ENOENT:
        case ENODEV:
        case ENXIO: return OpenFailure::NotFound;
        // Held by another program: its lock, or its exclusive mark on the line.
        case EBUSY: return OpenFailure::Busy;
        // The file's mode, or a security module, keeps this user out.
        case EACCES:
        case EPERM: return OpenFailure::AccessDenied;
        default: return OpenFailure::Faulty;
    }
}

std::string AccessDeniedText(const std::string& path, const std::optional<DeviceAccess>& access) {
    if (!access)
        return "Нет прав на открытие порта " + path +
               ". Доступ к последовательным портам обычно даёт группа dialout: "
               "sudo usermod -aG dialout $USER, затем выйдите из системы и войдите снова.";
    std::string text = "Нет прав на открытие порта " + access->path + ". ";
    if (access->groupMayOpen)
        return text + "Файл устройства принадлежит группе " + access->group +
               ", а вы в ней не состоите (или вошли в систему до того, как вас в неё включили). "
               "Вступите в группу командой\nsudo usermod -aG " +
               access->group +
               " $USER\nи войдите в систему заново: новая группа действует только после нового входа.";
    return text + "Файл устройства принадлежит группе " + access->group +
           ", но и ей его открывать нельзя. Нужно правило udev, которое отдаёт устройство группе "
           "(например, GROUP=\"dialout\", MODE=\"0660\"), затем sudo usermod -aG dialout $USER "
           "и новый вход в систему.";
}

OpenError DescribeOpenError(int error, const std::string& path) {
    OpenError result;
    result.kind = ClassifyOpenError(error);
    result.text = result.kind == OpenFailure::AccessDenied ? AccessDeniedText(path, ReadDeviceAccess(path))
                                                           : ErrnoText(error);
    return result;
}

}  // namespace quillon
