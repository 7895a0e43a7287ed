#pragma once
// The user's collection of page addresses, "WebURLs.txt" beside the program:
// one address per line. The program reads it once at start, keeps it sorted
// without regard to letter case, and rewrites it whole, with CR LF after every
// line, only when the user adds an address.
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::config {

inline constexpr const char* kUrlFileName = "WebURLs.txt";

// The list used for the run when the file is missing, in this order: a
// headline summary page, a second news page, a sports page, the maker's home
// page. The first is also the default of site 1, the last that of Site Check.
const std::vector<std::string>& BuiltInUrls();
const std::string& DefaultSiteURL();
const std::string& MakerHomePage();

// True for a file of that name and also for a directory of that name.
bool UrlFileExists(const std::string& path);

// Lines end at CR, LF or CR LF; a NUL ends the text; a blank line is an empty
// entry; a final line break adds none.
std::vector<std::string> ParseUrlList(std::string_view text);

// Each entry followed by CR LF, the last one included.
std::string FormatUrlList(const std::vector<std::string>& entries);

// Case-insensitive order of Windows-1252 texts: negative, zero or positive.
int CompareUrlText(std::string_view a, std::string_view b);

// Where an entry goes in a list kept in that order: after its equals, so an
// address added in other letter case stands beside the first.
size_t SortedInsertPosition(const std::vector<std::string>& sorted, std::string_view entry);

// The entries in that order; equal ones keep their order.
std::vector<std::string> SortUrls(std::vector<std::string> entries);

// The file's entries. Throws std::runtime_error when it cannot be read (also
// when the name is a directory's).
std::vector<std::string> ReadUrlFile(const std::string& path);

// Replaces the file with the entries in the order given; a failure leaves the
// old file whole and throws std::runtime_error.
void WriteUrlFile(const std::string& path, const std::vector<std::string>& entries);

}  // namespace zelvo::config
