#include "cli/output.h"

#include "cli/terminal.h"

namespace quillon::cli {

void Output::result(const std::string& text, const nlohmann::json& object) {
    if (json_)
        // Device texts may carry bytes that are not UTF-8; they must not end the run.
        data_ << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    else
        data_ << text << '\n';
    data_.flush();
    // Nobody reads the results any more (a closed pipe, a closed terminal):
    // the run ends as on Ctrl+C, releasing what it holds.
    if (!data_ && !lost_) {
        lost_ = true;
        CountInterrupt();
    }
}

void Output::message(const std::string& text) {
    messages_ << text << '\n';
    messages_.flush();
}

}  // namespace quillon::cli
