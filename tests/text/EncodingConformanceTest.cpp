// The encoding sniffing cases browsers agree on, and every entry of every
// legacy index read back through its decoder, from the public suites beside
// the source tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "text/Decoders.h"
#include "text/EncodingLabels.h"
#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

namespace fs = std::filesystem;

// Beside the source tree, or where ZELVO_CONFORMANCE_DIR says (a checkout in
// a worktree has no neighbour of that name).
fs::path ConformanceDir() {
    if (const char* dir = std::getenv("ZELVO_CONFORMANCE_DIR"))
        return fs::path(dir);
    const char* source = std::getenv("ZELVO_SOURCE_DIR");
    return fs::path(source ? source : ".") / ".." / "shared" / "conformance";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

struct TSniffCase {
    std::string data;
    std::string encoding;
};

// "#data" then the bytes, "#encoding" then the name; the line break before
// each heading belongs to the heading.
std::vector<TSniffCase> ReadSniffCases(const std::string& file) {
    std::vector<TSniffCase> cases;
    const std::string dataMark = "#data\n", encodingMark = "\n#encoding\n";
    std::size_t at = file.find(dataMark);
    while (at != std::string::npos) {
        const std::size_t dataStart = at + dataMark.size();
        const std::size_t encodingAt = file.find(encodingMark, dataStart);
        if (encodingAt == std::string::npos)
            break;
        const std::size_t nameStart = encodingAt + encodingMark.size();
        const std::size_t nameEnd = file.find('\n', nameStart);
        cases.push_back({file.substr(dataStart, encodingAt - dataStart),
                         file.substr(nameStart, nameEnd - nameStart)});
        at = file.find("\n" + dataMark, nameStart);
        if (at != std::string::npos)
            ++at;
    }
    return cases;
}

// The scripted/ cases need a script engine and chardet/ a guesser of
// undeclared legacy text; neither exists here, so those folders are left out.
TEST(EncodingConformanceTest, SniffingAgreesWithBrowsers) {
    const fs::path dir = ConformanceDir() / "html5lib-tests" / "encoding";
    if (!fs::is_directory(dir))
        GTEST_SKIP() << "no encoding sniffing cases at " << dir;
    for (const char* name : {"tests1.dat", "tests2.dat", "test-yahoo-jp.dat"}) {
        const std::vector<TSniffCase> cases = ReadSniffCases(ReadFile(dir / name));
        ASSERT_FALSE(cases.empty()) << name;
        int passed = 0;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const TDecodedPage page = DecodePage(std::string(cases[i].data));
            const bool ok = Lower(page.charset) == Lower(cases[i].encoding);
            passed += ok;
            EXPECT_TRUE(ok) << name << " case " << i << ": read as " << page.charset
                            << ", browsers say " << cases[i].encoding << "\n"
                            << cases[i].data.substr(0, 300);
        }
        std::printf("%s: %d of %zu\n", name, passed, cases.size());
    }
}

struct TIndexEntry {
    std::uint32_t pointer;
    char32_t codePoint;
};

std::vector<TIndexEntry> ReadIndex(const fs::path& path) {
    std::vector<TIndexEntry> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::uint32_t pointer = 0;
        std::string cp;
        if (fields >> pointer >> cp)
            entries.push_back({pointer, static_cast<char32_t>(std::stoul(cp, nullptr, 16))});
    }
    return entries;
}

std::string Utf8Of(char32_t cp) {
    std::string s;
    AppendCodePoint(s, cp);
    return s;
}

// Decodes bytes and expects exactly the index's code point from them.
void ExpectEntry(TEncoding encoding, const std::string& bytes, const TIndexEntry& entry,
                 const std::string& expected, int& failures) {
    std::string out;
    DecodeBytes(encoding, bytes, out);
    if (out != expected && ++failures <= 5)
        ADD_FAILURE() << EncodingName(encoding) << " pointer " << entry.pointer << ": got "
                      << out.size() << " bytes, expected U+" << std::hex
                      << static_cast<std::uint32_t>(entry.codePoint);
}

class IndexRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ConformanceDir() / "whatwg-encoding";
        if (!fs::is_regular_file(dir_ / "encodings.json"))
            GTEST_SKIP() << "no encoding indexes at " << dir_;
    }
    std::vector<TIndexEntry> Index(const std::string& name) {
        auto entries = ReadIndex(dir_ / ("index-" + name + ".txt"));
        EXPECT_FALSE(entries.empty()) << name;
        return entries;
    }
    fs::path dir_;
};

TEST_F(IndexRoundTripTest, EverySingleByteEntry) {
    for (std::size_t e = 0; e < kEncodingCount; ++e) {
        const auto encoding = static_cast<TEncoding>(e);
        if (indexes::kSingleByteRow[e] < 0)
            continue;
        std::string name = Lower(std::string(EncodingName(encoding)));
        if (name == "iso-8859-8-i")
            name = "iso-8859-8";
        int failures = 0;
        std::vector<bool> mapped(128);
        for (const TIndexEntry& entry : Index(name)) {
            mapped[entry.pointer] = true;
            ExpectEntry(encoding, std::string(1, static_cast<char>(0x80 + entry.pointer)), entry,
                        Utf8Of(entry.codePoint), failures);
        }
        for (std::size_t b = 0; b < 128; ++b)
            if (!mapped[b])
                ExpectEntry(encoding, std::string(1, static_cast<char>(0x80 + b)),
                            {static_cast<std::uint32_t>(b), kReplacementChar}, "\uFFFD", failures);
    }
}

TEST_F(IndexRoundTripTest, EveryDoubleByteEntry) {
    auto byte = [](std::uint32_t v) { return static_cast<char>(v); };
    int failures = 0;
    for (const TIndexEntry& e : Index("jis0208")) {
        const std::uint32_t lead = e.pointer / 188, trail = e.pointer % 188;
        const std::string sjis = {byte(lead + (lead < 0x1F ? 0x81 : 0xC1)),
                                  byte(trail + (trail < 0x3F ? 0x40 : 0x41))};
        // The user-defined rows read as private use, whatever the index says.
        if (e.pointer < 8836 || e.pointer > 10715)
            ExpectEntry(TEncoding::ShiftJis, sjis, e, Utf8Of(e.codePoint), failures);
        if (e.pointer < 94 * 94) {
            const std::string euc = {byte(e.pointer / 94 + 0xA1), byte(e.pointer % 94 + 0xA1)};
            ExpectEntry(TEncoding::EucJp, euc, e, Utf8Of(e.codePoint), failures);
            const std::string jis =
                "\x1B$B" + std::string{byte(e.pointer / 94 + 0x21), byte(e.pointer % 94 + 0x21)};
            ExpectEntry(TEncoding::Iso2022Jp, jis, e, Utf8Of(e.codePoint), failures);
        }
    }
    for (const TIndexEntry& e : Index("jis0212")) {
        const std::string euc = {'\x8F', byte(e.pointer / 94 + 0xA1), byte(e.pointer % 94 + 0xA1)};
        ExpectEntry(TEncoding::EucJp, euc, e, Utf8Of(e.codePoint), failures);
    }
    for (const TIndexEntry& e : Index("euc-kr")) {
        const std::string kr = {byte(e.pointer / 190 + 0x81), byte(e.pointer % 190 + 0x41)};
        ExpectEntry(TEncoding::EucKr, kr, e, Utf8Of(e.codePoint), failures);
    }
    for (const TIndexEntry& e : Index("gb18030")) {
        const std::uint32_t trail = e.pointer % 190;
        const std::string gb = {byte(e.pointer / 190 + 0x81),
                                byte(trail + (trail < 0x3F ? 0x40 : 0x41))};
        ExpectEntry(TEncoding::Gb18030, gb, e, Utf8Of(e.codePoint), failures);
        ExpectEntry(TEncoding::Gbk, gb, e, Utf8Of(e.codePoint), failures);
    }
    for (const TIndexEntry& e : Index("big5")) {
        const std::uint32_t trail = e.pointer % 157;
        const std::string big5 = {byte(e.pointer / 157 + 0x81),
                                  byte(trail + (trail < 0x3F ? 0x40 : 0x62))};
        // Four pointers give a letter and its combining mark.
        std::string expected = Utf8Of(e.codePoint);
        if (e.pointer == 1133 || e.pointer == 1164)
            expected += "\u0304";
        if (e.pointer == 1135 || e.pointer == 1166)
            expected += "\u030C";
        ExpectEntry(TEncoding::Big5, big5, e, expected, failures);
    }
    EXPECT_EQ(failures, 0);
}

TEST_F(IndexRoundTripTest, EveryFourByteRangeOfGb18030) {
    auto bytesOf = [](std::uint32_t pointer) {
        const std::uint32_t b4 = pointer % 10, b3 = pointer / 10 % 126, b2 = pointer / 1260 % 10,
                            b1 = pointer / 12600;
        return std::string{static_cast<char>(b1 + 0x81), static_cast<char>(b2 + 0x30),
                           static_cast<char>(b3 + 0x81), static_cast<char>(b4 + 0x30)};
    };
    const auto ranges = Index("gb18030-ranges");
    int failures = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const TIndexEntry& r = ranges[i];
        // The first and the last pointer of each range.
        // (The BMP ends at 39419; the last range runs from 189000 to the end.)
        std::uint32_t last = i + 1 < ranges.size() ? ranges[i + 1].pointer - 1 : 1237575;
        if (r.pointer < 189000 && last > 39419)
            last = 39419;
        for (std::uint32_t pointer : {r.pointer, last}) {
            const char32_t cp = pointer == 7457 ? 0xE7C7 : r.codePoint + (pointer - r.pointer);
            ExpectEntry(TEncoding::Gb18030, bytesOf(pointer), {pointer, cp}, Utf8Of(cp), failures);
        }
    }
    for (std::uint32_t hole : {39420u, 188999u, 1237576u})
        ExpectEntry(TEncoding::Gb18030, bytesOf(hole), {hole, kReplacementChar}, "\uFFFD",
                    failures);
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace zelvo::text
