#pragma once

#include <optional>

#include <linux/serial.h>

namespace quillon {

// The driver's own RTS control: with it, the kernel raises RTS before the
// first bit of every write and drops it when the transmitter has emptied,
// in the driver's interrupt, whatever the machine is busy with.
class DriverRts {
public:
    // Turns the control on for `fd`. False, with nothing changed, when the
    // driver has no such control (pseudo-terminals, most USB adapters) or
    // does not keep the settings asked for.
    bool enable(int fd);
    // Puts back what the port held before enable, for the next program.
    void restore(int fd);
    bool active() const { return saved_.has_value(); }

private:
    std::optional<serial_rs485> saved_;
};

}  // namespace quillon
