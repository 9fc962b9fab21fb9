#include "cli/output.h"

namespace quillon::cli {

void Output::result(const std::string& text, const nlohmann::json& object) {
    if (json_)
        // Device texts may carry bytes that are not UTF-8; they must not end the run.
        data_ << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    else
        data_ << text << '\n';
    data_.flush();
}

void Output::message(const std::string& text) {
    messages_ << text << '\n';
    messages_.flush();
}

}  // namespace quillon::cli
