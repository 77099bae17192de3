#pragma once
// The simulator's end of the link: a pseudo-terminal pair in raw mode. The
// program opens the slave like a serial port; the simulator reads and writes
// the master. The simulator keeps a slave descriptor of its own so the pair
// survives the program closing and reopening the port.
#include <string>

namespace kzo::devsim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool open(std::string& error);
    // Symbolic link path -> slave; an existing symbolic link there is replaced.
    bool makeLink(const std::string& path, std::string& error);
    // Closes both ends: the program sees a hang-up, as if the device was pulled.
    void unplug();

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string link_;
};

} // namespace kzo::devsim
