// The html5lib tokenizer cases, read where the conformance suites lie: each
// case's input from each of its initial states must give its token stream
// (parse errors are not compared).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "support/Files.h"
#include "support/Json.h"
#include "text/HtmlTokenizer.h"

namespace {

using zelvo::testing::Json;
using zelvo::text::THtmlToken;
using zelvo::text::THtmlTokenizer;
using zelvo::text::TTokenizerOptions;
using zelvo::text::TTokenizerState;
using zelvo::text::TTokenKind;

// Beside the source tree, or where ZELVO_CONFORMANCE_DIR says (a checkout in
// a worktree has no neighbour of that name).
std::string CasesDir() {
    const char* dir = std::getenv("ZELVO_CONFORMANCE_DIR");
    const char* source = std::getenv("ZELVO_SOURCE_DIR");
    const std::string root =
        dir ? std::string(dir) : std::string(source ? source : ".") + "/../shared/conformance";
    return root + "/html5lib-tests/tokenizer/";
}

int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The code unit of a "\uHHHH" sequence at i, or -1.
long UnitAt(const std::string& text, std::size_t i) {
    if (i + 6 > text.size() || text[i] != '\\' || text[i + 1] != 'u')
        return -1;
    long unit = 0;
    for (std::size_t k = i + 2; k < i + 6; ++k) {
        const int digit = HexDigit(text[k]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// "\uHHHH" sequences as the characters they name (for doubleEscaped cases).
std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        long unit = UnitAt(text, i);
        if (unit < 0) {
            out += text[i];
            continue;
        }
        i += 5;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const long low = UnitAt(text, i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 6;
            }
        }
        Json::AppendUtf8(out, static_cast<char32_t>(unit));
    }
    return out;
}

Json UnescapeAll(const Json& value) {
    if (value.IsString())
        return Unescape(value.String());
    if (value.IsArray()) {
        Json::Array out;
        for (const Json& v : value.Elements())
            out.push_back(UnescapeAll(v));
        return out;
    }
    if (value.IsObject()) {
        Json::Object out;
        for (const auto& [name, v] : value.Members())
            out.insert_or_assign(Unescape(name), UnescapeAll(v));
        return out;
    }
    return value;
}

// Adjacent character tokens as one, as the cases state them.
Json::Array MergeCharacters(const Json::Array& tokens) {
    Json::Array out;
    for (const Json& token : tokens) {
        const Json::Array& t = token.Elements();
        const bool character = !t.empty() && t[0] == Json("Character");
        if (character && !out.empty()) {
            Json::Array& last = out.back().Elements();
            if (!last.empty() && last[0] == Json("Character") && last.size() > 1 && t.size() > 1) {
                last[1] = last[1].String() + t[1].String();
                continue;
            }
        }
        out.push_back(token);
    }
    return out;
}

Json::Array Tokenize(const std::string& input, TTokenizerState state,
                     const std::string& lastStartTag) {
    TTokenizerOptions options;
    options.switchContentModels = false;
    THtmlTokenizer tokenizer(input, options);
    tokenizer.SetState(state);
    if (!lastStartTag.empty())
        tokenizer.SetLastStartTag(lastStartTag);
    Json::Array out;
    THtmlToken token;
    while (tokenizer.Next(token)) {
        switch (token.kind) {
            case TTokenKind::Character:
                out.push_back(Json::Array{"Character", token.data});
                break;
            case TTokenKind::Comment:
                out.push_back(Json::Array{"Comment", token.data});
                break;
            case TTokenKind::EndTag:
                out.push_back(Json::Array{"EndTag", token.data});
                break;
            case TTokenKind::StartTag: {
                Json::Object attributes;
                for (const auto& a : token.attributes)
                    attributes.insert_or_assign(a.name, Json(a.value));
                Json::Array t{"StartTag", token.data, std::move(attributes)};
                if (token.selfClosing)
                    t.push_back(true);
                out.push_back(std::move(t));
                break;
            }
            case TTokenKind::Doctype:
                out.push_back(Json::Array{"DOCTYPE", token.data.empty() ? Json() : Json(token.data),
                                          token.hasPublicId ? Json(token.publicId) : Json(),
                                          token.hasSystemId ? Json(token.systemId) : Json(),
                                          !token.forceQuirks});
                break;
            case TTokenKind::EndOfFile:
                break;
        }
    }
    return MergeCharacters(out);
}

bool StateNamed(const std::string& name, TTokenizerState& state) {
    static const std::pair<const char*, TTokenizerState> kStates[] = {
        {"Data state", TTokenizerState::Data},
        {"PLAINTEXT state", TTokenizerState::Plaintext},
        {"RCDATA state", TTokenizerState::Rcdata},
        {"RAWTEXT state", TTokenizerState::Rawtext},
        {"Script data state", TTokenizerState::ScriptData},
        {"CDATA section state", TTokenizerState::CdataSection}};
    for (const auto& [n, s] : kStates)
        if (name == n) {
            state = s;
            return true;
        }
    return false;
}

class HtmlTokenizerConformance : public ::testing::TestWithParam<const char*> {};

TEST_P(HtmlTokenizerConformance, TokenStreamsMatch) {
    const std::string path = CasesDir() + GetParam() + ".test";
    const std::string file = zelvo::testing::Slurp(path);
    if (file.empty())
        GTEST_SKIP() << "html5lib tokenizer cases not found at " << path;
    const Json::Array cases = Json::Parse(file)["tests"].Elements();
    ASSERT_FALSE(cases.empty()) << "no cases in " << path;

    int runs = 0;
    int failures = 0;
    for (const Json& c : cases) {
        const bool doubleEscaped = c["doubleEscaped"].Bool();
        const std::string input =
            doubleEscaped ? Unescape(c["input"].String()) : c["input"].String();
        Json::Array expected = c["output"].Elements();
        if (doubleEscaped)
            expected = UnescapeAll(expected).Elements();
        expected = MergeCharacters(expected);
        Json::Array states = c["initialStates"].Elements();
        if (states.empty())
            states.push_back("Data state");
        for (const Json& stateName : states) {
            ++runs;
            TTokenizerState state{};
            ASSERT_TRUE(StateNamed(stateName.String(), state)) << stateName.String();
            const Json::Array actual = Tokenize(input, state, c["lastStartTag"].String());
            if (actual == expected)
                continue;
            ++failures;
            ADD_FAILURE() << c["description"].String() << " (" << stateName.String()
                          << ")\n  input:    " << Json(Json::Array{input}).Text()
                          << "\n  expected: " << Json(expected).Text()
                          << "\n  actual:   " << Json(actual).Text();
        }
    }
    RecordProperty("runs", runs);
    RecordProperty("passed", runs - failures);
    std::printf("%s: %d of %d runs pass\n", GetParam(), runs - failures, runs);
}

INSTANTIATE_TEST_SUITE_P(Html5lib, HtmlTokenizerConformance,
                         ::testing::Values("test1", "test2", "test3", "test4", "entities",
                                           "namedEntities", "numericEntities", "unicodeChars",
                                           "escapeFlag", "contentModelFlags", "domjs"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
