// The in-memory stream a received document is written to.
#include <gtest/gtest.h>

#include <string>

#include "http/Stream.h"

namespace zelvo::http {
namespace {

void Put(TMemoryStream& s, const std::string& bytes) {
    ASSERT_EQ(s.Write(bytes.data(), static_cast<int>(bytes.size())),
              static_cast<int>(bytes.size()));
}

TEST(MemoryStreamTest, WritesAppendAndOverwriteOnlyWhereTheyLand) {
    TMemoryStream s;
    Put(s, "hello");
    Put(s, " world");
    EXPECT_EQ(s.Data(), "hello world");
    EXPECT_EQ(s.Position(), 11);

    // Into the middle: the bytes under the write change, the rest stays.
    s.SetPosition(1);
    Put(s, "EL");
    EXPECT_EQ(s.Data(), "hELlo world");
    EXPECT_EQ(s.Position(), 3);

    // Across the end: overwrites what is there and appends the rest.
    s.SetPosition(9);
    Put(s, "LD!!");
    EXPECT_EQ(s.Data(), "hELlo worLD!!");

    // Past the end: the gap reads as zero bytes.
    s.SetPosition(15);
    Put(s, "x");
    EXPECT_EQ(s.Data(), std::string("hELlo worLD!!\0\0x", 16));

    EXPECT_EQ(s.Write("y", 0), 0);
    EXPECT_EQ(s.Write("y", -1), 0);
    EXPECT_EQ(s.Size(), 16);

    s.SetPosition(0);
    char buf[6] = {};
    EXPECT_EQ(s.Read(buf, 5), 5);
    EXPECT_EQ(std::string(buf), "hELlo");
}

TEST(MemoryStreamTest, ReservesTheAnnouncedLengthWithinItsBound) {
    TMemoryStream s;
    s.Reserve(1 << 20);
    EXPECT_GE(s.Data().capacity(), std::size_t{1} << 20);
    EXPECT_EQ(s.Size(), 0);  // room, not content

    // The bytes fill the room without moving it.
    const char* before = s.Data().data();
    const std::string block(4096, 'a');
    for (int i = 0; i < 256; ++i)
        Put(s, block);
    EXPECT_EQ(s.Data().data(), before);
    EXPECT_EQ(s.Size(), 1 << 20);

    // A length no document could honour sets nothing beyond the bound
    // aside, and a smaller one never takes back what is held.
    TMemoryStream huge;
    huge.Reserve(std::int64_t{1} << 40);
    EXPECT_LE(static_cast<std::int64_t>(huge.Data().capacity()), TMemoryStream::kMaxReserve);
    s.Reserve(10);
    EXPECT_EQ(s.Size(), 1 << 20);
    s.Reserve(-1);
    EXPECT_EQ(s.Size(), 1 << 20);
}

TEST(MemoryStreamTest, TakeDataMovesTheBytesOut) {
    TMemoryStream s;
    Put(s, std::string(100000, 'z'));
    const char* held = s.Data().data();
    std::string taken = s.TakeData();
    EXPECT_EQ(taken.data(), held);  // the same buffer, not a copy
    EXPECT_EQ(taken.size(), 100000u);
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
    Put(s, "new");
    EXPECT_EQ(s.Data(), "new");
}

}  // namespace
}  // namespace zelvo::http
