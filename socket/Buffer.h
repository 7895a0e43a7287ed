#pragma once
// One block of a socket's send buffer: bytes are appended at the write
// position and handed to the network from the read position.
#include <cstddef>
#include <memory>
#include <utility>

namespace zelvo::socket {

class TBuffer {
public:
    static constexpr int DefaultSize = 1514;  // one Ethernet frame

    explicit TBuffer(int size = DefaultSize);

    // A size of 0 or less means the default size. Stored bytes survive.
    void Resize(int size);
    // Copies as much of data as fits and returns how many bytes that was.
    int Append(const void* data, int len);
    // The bytes not yet handed out.
    std::pair<const char*, int> Peek() const;
    // Marks up to count unsent bytes as handed out and returns how many;
    // a drained block starts again from its beginning.
    int Consume(int count);

    int Size() const { return size_; }
    int WritePos() const { return wrCount_; }
    int ReadPos() const { return rdCount_; }

private:
    std::unique_ptr<char[]> buf_;
    int size_ = 0;
    int wrCount_ = 0;
    int rdCount_ = 0;
};

}  // namespace zelvo::socket
