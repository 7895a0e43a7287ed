#pragma once
// Byte streams the HTTP client reads a POST body from and writes a received
// document to. The caller owns them; the client only holds references.
#include <cstdint>
#include <string>
#include <utility>

namespace zelvo::http {

class TStream {
public:
    virtual ~TStream() = default;
    // Copies up to count bytes from the current position; returns how many.
    virtual int Read(void* buffer, int count) = 0;
    // Writes count bytes at the current position; returns how many went in.
    virtual int Write(const void* buffer, int count) = 0;
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    // Drops everything written so far, when the document is refused.
    virtual void Discard() {}
    // Room for the bytes a response announces, so a long document is not
    // copied over at every growth. A hint only: a stream may ignore it.
    virtual void Reserve(std::int64_t /*bytes*/) {}
};

// A stream held in memory, as the main form attaches for a page.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string data) : data_(std::move(data)) {}

    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
    std::int64_t Position() const override { return static_cast<std::int64_t>(pos_); }
    void SetPosition(std::int64_t position) override;
    // An announced length is the sender's word, not a fact: what is set
    // aside ahead of the bytes never goes past kMaxReserve.
    void Reserve(std::int64_t bytes) override;
    static constexpr std::int64_t kMaxReserve = std::int64_t{256} << 20;

    const std::string& Data() const { return data_; }
    // Empties the stream and gives its memory back.
    void Clear() {
        std::string().swap(data_);
        pos_ = 0;
    }
    void Discard() override { Clear(); }
    // The contents, moved out; the stream is left empty.
    std::string TakeData() {
        pos_ = 0;
        return std::exchange(data_, std::string());
    }

private:
    std::string data_;
    std::size_t pos_ = 0;
};

}  // namespace zelvo::http
