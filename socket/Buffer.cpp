#include "socket/Buffer.h"

#include <algorithm>
#include <cstring>

namespace zelvo::socket {

TBuffer::TBuffer(int size) {
    Resize(size);
}

void TBuffer::Resize(int size) {
    if (size <= 0)
        size = DefaultSize;
    if (size == size_)
        return;
    auto fresh = std::make_unique<char[]>(static_cast<std::size_t>(size));
    if (wrCount_ != rdCount_) {
        // Never drop stored bytes: a shrink below the write position keeps
        // what fits and the positions stay within the new capacity.
        wrCount_ = std::min(wrCount_, size);
        rdCount_ = std::min(rdCount_, wrCount_);
        std::memcpy(fresh.get(), buf_.get(), static_cast<std::size_t>(wrCount_));
    } else {
        wrCount_ = 0;
        rdCount_ = 0;
    }
    buf_ = std::move(fresh);
    size_ = size;
}

int TBuffer::Append(const void* data, int len) {
    int room = size_ - wrCount_;
    if (room <= 0 || len <= 0)
        return 0;
    int n = std::min(room, len);
    std::memcpy(buf_.get() + wrCount_, data, static_cast<std::size_t>(n));
    wrCount_ += n;
    return n;
}

std::pair<const char*, int> TBuffer::Peek() const {
    int len = wrCount_ - rdCount_;
    if (len <= 0)
        return {nullptr, 0};
    return {buf_.get() + rdCount_, len};
}

int TBuffer::Consume(int count) {
    int n = std::clamp(count, 0, wrCount_ - rdCount_);
    rdCount_ += n;
    if (rdCount_ >= wrCount_) {
        rdCount_ = 0;
        wrCount_ = 0;
    }
    return n;
}

}  // namespace zelvo::socket
