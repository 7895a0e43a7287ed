// Any bytes through the HTML tokenizer, from any initial state, in HTML and
// in XML-like reading: it ends, every string it gives is UTF-8, it never
// reads backwards, a text handed over reads as its copy does, and references
// decode to UTF-8 where the text was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/HtmlTokenizer.h"
#include "text/Utf8.h"

namespace {

using namespace zelvo::text;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the reading; the rest is the page.
    const std::uint8_t mode = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    TTokenizerOptions options;
    options.xmlLike = (mode & 1) != 0;
    options.switchContentModels = (mode & 2) != 0;
    THtmlTokenizer tokenizer(input, options);
    THtmlTokenizer handed(std::string(input), options);
    static constexpr TTokenizerState kStates[] = {
        TTokenizerState::Data,       TTokenizerState::Rcdata,    TTokenizerState::Rawtext,
        TTokenizerState::ScriptData, TTokenizerState::Plaintext, TTokenizerState::CdataSection};
    tokenizer.SetState(kStates[(mode >> 2) % 6]);
    handed.SetState(kStates[(mode >> 2) % 6]);
    if (mode & 0x80) {
        tokenizer.SetLastStartTag("script");
        handed.SetLastStartTag("script");
    }
    THtmlToken handedToken;

    THtmlToken token;
    std::size_t tokens = 0;
    std::size_t position = 0;
    bool sawEnd = false;
    while (tokenizer.Next(token)) {
        Check(handed.Next(handedToken) && handedToken.kind == token.kind &&
              handedToken.data == token.data && handed.Position() == tokenizer.Position());
        Check(!sawEnd);
        sawEnd = token.kind == TTokenKind::EndOfFile;
        // Every token but the last takes at least one byte of input.
        Check(++tokens <= input.size() + 1);
        Check(tokenizer.Position() >= position && tokenizer.Position() <= input.size());
        position = tokenizer.Position();
        Check(IsValidUtf8(token.data) && IsValidUtf8(token.publicId) &&
              IsValidUtf8(token.systemId));
        Check(token.kind != TTokenKind::Character || !token.data.empty());
        for (const THtmlAttribute& a : token.attributes)
            Check(IsValidUtf8(a.name) && IsValidUtf8(a.value));
    }
    Check(sawEnd && token.kind == TTokenKind::EndOfFile);
    Check(!handed.Next(handedToken));

    if (IsValidUtf8(input)) {
        Check(IsValidUtf8(DecodeCharacterReferences(input, false)));
        Check(IsValidUtf8(DecodeCharacterReferences(input, true)));
    }
    return 0;
}
