#pragma once

#include <string>

namespace quillon::sim {

// A pseudo-terminal whose slave side plays the serial port. The server keeps
// its own slave descriptor open: without it the master reads EIO every time
// the tool closes the port between commands.
class PtyServer {
public:
    PtyServer() = default;
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pair and puts the slave in raw mode; false with `error` set on failure.
    bool open(std::string& error);

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace quillon::sim
