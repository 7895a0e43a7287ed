#pragma once
// The received response lines of the last few responses, oldest dropped
// first, so the log of the latest fetches survives without the list growing
// for the life of the program.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace zelvo::http {

class THeaderLog {
public:
    explicit THeaderLog(std::size_t responsesKept = 10) : kept_(responsesKept) {}

    // The lines that follow belong to a new response.
    void BeginResponse();
    void Add(std::string line);

    const std::vector<std::string>& Lines() const { return lines_; }
    std::vector<std::string>& Lines() { return lines_; }

private:
    std::size_t kept_;
    bool pending_ = true;  // no line of the current response came yet
    std::vector<std::string> lines_;
    std::deque<std::size_t> counts_;  // lines per kept response, oldest first
};

}  // namespace zelvo::http
