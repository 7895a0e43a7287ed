#include "http/Stream.h"

#include <algorithm>
#include <cstring>

#include "platform/Memory.h"

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
    const auto* bytes = static_cast<const char*>(buffer);
    auto n = static_cast<std::size_t>(count);
    if (pos_ > data_.size())
        data_.append(pos_ - data_.size(), '\0');
    // Only a write after SetPosition into the middle overwrites; the common
    // case appends, with no zero-filling of room it is about to copy over.
    const std::size_t over = std::min(n, data_.size() - pos_);
    if (over > 0)
        std::memcpy(data_.data() + pos_, bytes, over);
    if (over < n)
        data_.append(bytes + over, n - over);
    pos_ += n;
    return count;
}

void TMemoryStream::Reserve(std::int64_t bytes) {
    const std::int64_t wanted = std::min(bytes, kMaxReserve);
    if (wanted <= static_cast<std::int64_t>(data_.capacity()))
        return;
    data_.reserve(static_cast<std::size_t>(wanted));
    // A large document is written once, front to back, into this room.
    platform::AdviseLargeFill(data_.data(), data_.capacity());
}

void TMemoryStream::SetPosition(std::int64_t position) {
    // Past the end leaves a gap that a later write fills with zero bytes.
    pos_ = position < 0 ? 0 : static_cast<std::size_t>(position);
}

}  // namespace zelvo::http
