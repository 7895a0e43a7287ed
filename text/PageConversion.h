#pragma once
// From a received page to the one line of text that the strip scrolls.
//
// Pages are decoded to UTF-8 first and the rules work on characters: the
// table's few characters beyond ASCII are matched as whole UTF-8 sequences
// and the span removals count their distance in characters.
//
// The page passes through the line buffer of the strip (a list of lines),
// loses its comments, is cut into text runs and tags, and is then cleaned by
// a fixed, ordered table of replacements and span removals. The table's
// operations keep the results of their historical, rescanning form exactly
// (a replacement may take part in a later match; an unbalanced marker stops
// a removal for the whole text) but scan forward, so no page costs more than
// a few passes over its length.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::text {

// --- The line buffer -------------------------------------------------------

// The page as lines: CR LF, a lone CR and a lone LF each end a line, a final
// line break adds no empty line, and a NUL byte ends the text.
std::vector<std::string> LoadBufferLines(std::string_view bytes);

// The buffer's whole text: every line followed by CR LF.
std::string BufferText(const std::vector<std::string>& lines);

// BufferText(LoadBufferLines(bytes)) in one pass.
std::string PageBufferText(std::string_view bytes);
// The same in the text's own buffer: a page is not held twice.
void PageBufferTextInPlace(std::string& text);

// --- The operations of the table ---------------------------------------------

// Cuts every comment down to "<>", leftmost first; stops for good at the
// first "-->" that does not follow the first remaining "<!--".
void StripComments(std::string& text);

// Replaces find by replacement until find no longer occurs, the leftmost
// occurrence first, so a replacement can complete a later match. The text
// comes back unchanged when find is absent or the replacement contains it.
std::string ReplaceAll(std::string_view find, std::string_view text, std::string_view replacement);

// Cuts spans from the first open through the end of the first close while
// the first open comes before the first close and less than maxDistance
// characters ahead of it. Does nothing when open or close is blank.
void RemoveRange(std::string& text, std::string_view open, int maxDistance, std::string_view close);

// --- The conversion ----------------------------------------------------------

// Text runs, each after one blank, and the markers of the BR, P and anchor
// tags, from an already comment-stripped page text.
std::string BuildLineText(std::string strippedText);

// The 38 rows of the replacement table over the buffer's text.
std::string ApplyReplacementTable(std::string text);

// The whole conversion of the buffer's text (the page as it stood in the
// line buffer) into the ticker text.
std::string ConvertBufferText(std::string bufferText);

// The ticker text for a page already decoded to UTF-8.
std::string ConvertPageUtf8(std::string utf8);

// The ticker text for the bytes of a received page, as the strip scrolls it,
// the charset found by looking at the bytes alone. No files, no windows.
std::string PageToTickerText(std::string_view pageBytes);

// --- Feeds -----------------------------------------------------------------

// A headline's place in the ticker text, in characters, and where it leads.
struct THeadline {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string link;
};

// What stands between two headlines on the strip.
inline constexpr const char* kHeadlineSeparator = "  \xE2\x80\xA2  ";  // blank, bullet, blank

struct TTickerPage {
    std::string text;                  // UTF-8, one line
    std::vector<THeadline> headlines;  // empty for the classic conversion
    std::string charset;               // what the page was read as
};

// The most headlines one line shows.
inline constexpr std::size_t kMaxFeedHeadlines = 200;

struct TFeed;

// A feed's line: its title, then its items' titles, with their links; at
// most kMaxFeedHeadlines of them.
TTickerPage FeedTickerPage(const TFeed& feed);

// A received feed's line, when the response announces a feed or the bytes
// begin like one (after any prolog, however long) and read as one; nothing
// otherwise. A feed is decoded by its own rule; its links are resolved
// against finalUrl, the feed's address after relocations.
std::optional<TTickerPage> ReadReceivedFeed(std::string_view bytes, std::string_view contentType,
                                            std::string_view charset,
                                            std::string_view finalUrl = {});

// The whole road of a received page: shown as a feed's headlines when it is
// a feed (above), else decoded (charset: the response's, or "" to look at
// the bytes alone) and converted as a page. The bytes are consumed.
TTickerPage ConvertReceivedPage(std::string&& bytes, std::string_view contentType,
                                std::string_view charset = {}, std::string_view finalUrl = {});

// The headline at character index pos of the ticker text, or nullptr.
const THeadline* HeadlineAt(const std::vector<THeadline>& headlines, std::size_t pos);

// Writes the ticker text as the one line of "WebPage.txt" in dir (the
// executable's directory when empty), and leaves it as the buffer's only line.
void WritePageText(const std::string& tickerText, std::vector<std::string>& downloadMemo,
                   const std::string& dir = {});

// The conversion step of a successful fetch: takes the page from the line
// buffer, sets tickerText, leaves the ticker text as the buffer's only line
// and writes it to "WebPage.txt" in dir (the executable's directory when
// empty). A failure to write the file throws after tickerText and the buffer
// are set.
void ConvertPageText(std::vector<std::string>& downloadMemo, std::string& tickerText,
                     const std::string& dir = {});

inline constexpr const char* kPageTextFile = "WebPage.txt";

}  // namespace zelvo::text
