#pragma once
// Markup cut into tokens the way a browser's tokenizer cuts it: data,
// RCDATA, RAWTEXT, script data with its escapes, PLAINTEXT, comments,
// DOCTYPE, attributes quoted and unquoted, and character references with
// the full named table. There is no tree builder: the one thing a tree
// builder would tell the tokenizer, which content model follows a start tag,
// the tokenizer decides itself from the tag's name (title and textarea:
// RCDATA; style, xmp, iframe, noembed, noframes: RAWTEXT; script: script
// data; plaintext: PLAINTEXT), unless the caller asks for XML-like reading.
//
// Input is UTF-8 (decoded already); CR LF and lone CR become LF as the
// input stream's preprocessing says, and bytes that are not UTF-8 become
// U+FFFD. Output is UTF-8. Work is linear in the
// input: every byte is looked at a bounded number of times.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace zelvo::text {

enum class TTokenKind { Character, StartTag, EndTag, Comment, Doctype, EndOfFile };

struct THtmlAttribute {
    std::string name;   // lower-cased in HTML reading, as written in XML-like reading
    std::string value;  // references decoded
};

// One token. Consecutive characters come as one Character token; a NUL in
// data or in a CDATA section comes as U+0000, as the standard's tokenizer
// gives it (a tree builder drops it), elsewhere as U+FFFD. The
// strings are reused from token to token: copy what must outlive Next().
struct THtmlToken {
    TTokenKind kind = TTokenKind::EndOfFile;
    std::string data;                        // characters, comment text, tag name, DOCTYPE name
    std::vector<THtmlAttribute> attributes;  // duplicates dropped, the first kept
    bool selfClosing = false;
    // DOCTYPE only.
    bool forceQuirks = false;
    bool hasPublicId = false;
    bool hasSystemId = false;
    std::string publicId;
    std::string systemId;

    // The value of the attribute named name (lower case), or nullptr.
    const std::string* Attribute(std::string_view name) const;
};

enum class TTokenizerState { Data, Rcdata, Rawtext, ScriptData, Plaintext, CdataSection };

struct TTokenizerOptions {
    // HTML reading switches the content model after title, textarea, style,
    // xmp, iframe, noembed, noframes, script and plaintext start tags.
    bool switchContentModels = true;
    // XML-like reading (feeds): <![CDATA[...]]> is character data, tag and
    // attribute names keep their case, <?...?> comes as a Comment token
    // holding what lies between "<?" and "?>", and no start tag switches
    // the content model (a feed's title is no RCDATA).
    bool xmlLike = false;
};

class THtmlTokenizer {
public:
    // utf8 is read in place (unless it needs preprocessing): it must outlive
    // the tokenizer.
    explicit THtmlTokenizer(std::string_view utf8, TTokenizerOptions options = {});
    // Takes the text over: a large page is prepared where it lies, not
    // copied, whenever it is UTF-8 already.
    explicit THtmlTokenizer(std::string&& utf8, TTokenizerOptions options = {});
    explicit THtmlTokenizer(const char* utf8, TTokenizerOptions options = {})
        : THtmlTokenizer(std::string_view(utf8), options) {}
    // The state machine keeps its buffers between tokens; it is not copyable.
    THtmlTokenizer(const THtmlTokenizer&) = delete;
    THtmlTokenizer& operator=(const THtmlTokenizer&) = delete;

    // The next token; false once EndOfFile has been returned.
    bool Next(THtmlToken& token);

    // For callers that act as a tree builder (and for the conformance cases):
    // the state to continue in, and the last start tag that an appropriate
    // end tag must match.
    void SetState(TTokenizerState state);
    void SetLastStartTag(std::string_view name);

    // Byte offset in the input of the next unread byte (for progress and
    // for callers that stop early). The tokenizer reads a token to its end
    // before it returns the characters in front of it, so after a Character
    // token this is already past the token that follows.
    std::size_t Position() const;

private:
    enum class TState : unsigned char;

    void Run();
    void RunMarkup(int c);
    void RunDoctype(int c);
    void Emit();
    void EmitCharacters(THtmlToken& token);
    void Recycle(THtmlToken& token);
    void StartToken(TTokenKind kind);
    void StartAttribute();
    void FinishAttributeName();
    bool IsAppropriateEndTag() const;
    void AppendName(std::string& to, int c) const;
    void EndTagNameStep(int c, TState text);
    bool LookingAt(std::string_view word, bool ignoreCase) const;
    int Peek() const {
        return pos_ < input_.size() ? static_cast<unsigned char>(input_[pos_]) : -1;
    }

    // The input after preprocessing: the caller's bytes when they need none,
    // else owned_. Where the two differ in length, offsets_ maps back.
    std::string_view input_;
    std::string owned_;
    std::vector<std::pair<std::size_t, std::size_t>> offsets_;  // (ours, caller's)
    TTokenizerOptions options_;
    std::size_t pos_ = 0;
    TState state_;
    std::string lastStartTag_;
    bool eof_ = false;    // the machine has reached the end of the input
    bool done_ = false;   // EndOfFile has been returned
    bool ready_ = false;  // token_ is complete and waits behind pending_
    THtmlToken token_;
    std::vector<THtmlAttribute> spare_;     // attributes' strings kept for reuse
    std::unordered_set<std::string> seen_;  // attribute names of a tag with very many
    std::string* value_ = nullptr;          // where the current attribute's value goes
    std::string dropped_;                   // the value of an attribute dropped as a duplicate
    std::string pending_;                   // characters decided but not yet returned
    std::string temp_;                      // the standard's temporary buffer
};

// Character references in text decoded as the tokenizer decodes them in data
// (inAttribute false) or in an attribute value (true): named, decimal and
// hexadecimal, with the standard's replacements for bad numbers.
std::string DecodeCharacterReferences(std::string_view text, bool inAttribute = false);

}  // namespace zelvo::text
