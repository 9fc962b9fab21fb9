#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace quillon::cli {

// Results go to stdout, one line each: text for people, or one JSON object per
// line for scripts. Messages go to stderr and never mix with the results.
class Output {
public:
    Output(std::ostream& data, std::ostream& messages, bool json) : data_(data), messages_(messages), json_(json) {}

    bool json() const { return json_; }
    // One result: `text` in text mode, `object` in JSON mode.
    void result(const std::string& text, const nlohmann::json& object);
    void message(const std::string& text);

private:
    std::ostream& data_;
    std::ostream& messages_;
    bool json_;
    bool lost_ = false;
};

}  // namespace quillon::cli
