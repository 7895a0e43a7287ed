#include "http/HeaderLog.h"

namespace zelvo::http {

void THeaderLog::BeginResponse() {
    pending_ = true;
}

void THeaderLog::Add(std::string line) {
    // A caller may have emptied or edited the list; the counts never claim
    // more lines than it holds.
    std::size_t counted = 0;
    for (std::size_t n : counts_)
        counted += n;
    if (counted > lines_.size()) {
        counts_.clear();
        counts_.push_back(lines_.size());
    }
    if (pending_ || counts_.empty()) {
        pending_ = false;
        counts_.push_back(0);
        while (counts_.size() > kept_) {
            std::size_t drop = counts_.front();
            counts_.pop_front();
            lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(drop));
        }
    }
    lines_.push_back(std::move(line));
    ++counts_.back();
}

}  // namespace zelvo::http
