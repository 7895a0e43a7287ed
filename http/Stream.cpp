#include "http/Stream.h"

#include <algorithm>
#include <cstring>

namespace zelvo::http {

int TMemoryStream::Read(void* buffer, int count) {
    if (count <= 0 || pos_ >= data_.size())
        return 0;
    std::size_t n = std::min(static_cast<std::size_t>(count), data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return static_cast<int>(n);
}

int TMemoryStream::Write(const void* buffer, int count) {
    if (count <= 0)
        return 0;
    auto n = static_cast<std::size_t>(count);
    if (pos_ + n > data_.size())
        data_.resize(pos_ + n);
    std::memcpy(data_.data() + pos_, buffer, n);
    pos_ += n;
    return count;
}

void TMemoryStream::SetPosition(std::int64_t position) {
    // Past the end leaves a gap that a later write fills with zero bytes.
    pos_ = position < 0 ? 0 : static_cast<std::size_t>(position);
}

}  // namespace zelvo::http
