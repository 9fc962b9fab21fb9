#pragma once

#include <vector>

#include "sim/line_endpoint.h"

namespace quillon::sim {

// Several devices on one HART line, each at its own polling address. Every
// device hears every byte; the one addressed answers. Should two answer at
// once, the line carries what a collision leaves: neither frame intact.
class MultiDropLine : public LineEndpoint {
public:
    void add(LineEndpoint& device) { devices_.push_back(&device); }
    std::size_t size() const { return devices_.size(); }

    std::optional<Transmission> hear(std::uint8_t byte, std::int64_t nowUs) override;
    void lineQuiet() override {
        for (LineEndpoint* device : devices_) device->lineQuiet();
    }

private:
    std::vector<LineEndpoint*> devices_;
};

}  // namespace quillon::sim
