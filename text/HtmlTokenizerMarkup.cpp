// Script data's escapes, comments and what is read as one, CDATA sections and
// DOCTYPEs: the states that follow "<!" (and "<?" in XML-like reading).
#include <string_view>

#include "text/HtmlTokenizerStates.h"

namespace zelvo::text {

using namespace detail;

void THtmlTokenizer::RunMarkup(int c) {
    using S = TState;
    const char* const s = input_.data();
    switch (state_) {
            // Script data and its escapes: "<!--" in a script hides "</script>"
        // from the end only while it is inside "<script>...</script>".
        case S::ScriptLessThan:
            if (c == '/') {
                ++pos_;
                temp_.clear();
                state_ = S::ScriptEndTagOpen;
            } else if (c == '!') {
                ++pos_;
                pending_ += "<!";
                state_ = S::ScriptEscapeStart;
            } else {
                pending_ += '<';
                state_ = S::ScriptData;
            }
            break;
        case S::ScriptEscapeStart:
        case S::ScriptEscapeStartDash:
            if (c == '-') {
                ++pos_;
                pending_ += '-';
                state_ = state_ == S::ScriptEscapeStart ? S::ScriptEscapeStartDash
                                                        : S::ScriptEscapedDashDash;
            } else {
                state_ = S::ScriptData;
            }
            break;
        case S::ScriptEscaped:
        case S::ScriptDoubleEscaped: {
            const bool twice = state_ == S::ScriptDoubleEscaped;
            CopyUntil(input_, pos_, '-', '<', '\0', pending_);
            switch (Peek()) {
                case '-':
                    ++pos_, pending_ += '-';
                    state_ = twice ? S::ScriptDoubleEscapedDash : S::ScriptEscapedDash;
                    break;
                case '<':
                    ++pos_;
                    if (twice)
                        pending_ += '<';
                    state_ = twice ? S::ScriptDoubleEscapedLessThan : S::ScriptEscapedLessThan;
                    break;
                case 0:
                    ++pos_, pending_ += kReplacement;
                    break;
                case kEof:
                    eof_ = true;
                    break;
            }
            break;
        }
        case S::ScriptEscapedDash:
        case S::ScriptEscapedDashDash:
        case S::ScriptDoubleEscapedDash:
        case S::ScriptDoubleEscapedDashDash: {
            const bool twice =
                state_ == S::ScriptDoubleEscapedDash || state_ == S::ScriptDoubleEscapedDashDash;
            const bool dashDash =
                state_ == S::ScriptEscapedDashDash || state_ == S::ScriptDoubleEscapedDashDash;
            const S escaped = twice ? S::ScriptDoubleEscaped : S::ScriptEscaped;
            if (c == '-') {
                ++pos_, pending_ += '-';
                state_ = twice ? S::ScriptDoubleEscapedDashDash : S::ScriptEscapedDashDash;
            } else if (c == '<') {
                ++pos_;
                if (twice)
                    pending_ += '<';
                state_ = twice ? S::ScriptDoubleEscapedLessThan : S::ScriptEscapedLessThan;
            } else if (c == '>' && dashDash) {
                ++pos_, pending_ += '>';
                state_ = S::ScriptData;
            } else if (c == 0) {
                ++pos_, pending_ += kReplacement;
                state_ = escaped;
            } else if (c == kEof) {
                eof_ = true;
            } else {
                ++pos_, pending_ += static_cast<char>(c);
                state_ = escaped;
            }
            break;
        }
        case S::ScriptEscapedLessThan:
            if (c == '/') {
                ++pos_;
                temp_.clear();
                state_ = S::ScriptEscapedEndTagOpen;
            } else if (IsAlpha(c)) {
                temp_.clear();
                pending_ += '<';
                state_ = S::ScriptDoubleEscapeStart;
            } else {
                pending_ += '<';
                state_ = S::ScriptEscaped;
            }
            break;
        case S::ScriptDoubleEscapeStart:
        case S::ScriptDoubleEscapeEnd: {
            const bool start = state_ == S::ScriptDoubleEscapeStart;
            if (IsWhitespace(c) || c == '/' || c == '>') {
                ++pos_, pending_ += static_cast<char>(c);
                const bool script = temp_ == "script";
                state_ = script == start ? S::ScriptDoubleEscaped : S::ScriptEscaped;
            } else if (IsAlpha(c)) {
                ++pos_, pending_ += static_cast<char>(c);
                temp_ += Lower(c);
            } else {
                state_ = start ? S::ScriptEscaped : S::ScriptDoubleEscaped;
            }
            break;
        }
        case S::ScriptDoubleEscapedLessThan:
            if (c == '/') {
                ++pos_, pending_ += '/';
                temp_.clear();
                state_ = S::ScriptDoubleEscapeEnd;
            } else {
                state_ = S::ScriptDoubleEscaped;
            }
            break;

        // Comments and what is read as one.
        case S::MarkupDeclarationOpen:
            if (LookingAt("--", false)) {
                pos_ += 2;
                StartToken(TTokenKind::Comment);
                state_ = S::CommentStart;
            } else if (LookingAt("doctype", true)) {
                pos_ += 7;
                state_ = S::Doctype;
            } else if (LookingAt("[CDATA[", false)) {
                pos_ += 7;
                if (options_.xmlLike) {
                    state_ = S::CdataSection;
                } else {
                    StartToken(TTokenKind::Comment);
                    token_.data = "[CDATA[";
                    state_ = S::BogusComment;
                }
            } else {
                StartToken(TTokenKind::Comment);
                state_ = S::BogusComment;
            }
            break;
        case S::BogusComment:
            CopyUntil(input_, pos_, '>', '\0', '\0', token_.data);
            switch (Peek()) {
                case '>':
                    ++pos_, state_ = S::Data;
                    Emit();
                    break;
                case 0:
                    ++pos_, token_.data += kReplacement;
                    break;
                case kEof:
                    Emit();
                    eof_ = true;
                    break;
            }
            break;
        case S::ProcessingInstruction: {
            const std::size_t end = input_.find("?>", pos_);
            const std::size_t stop = end == std::string_view::npos ? input_.size() : end;
            token_.data.append(s + pos_, stop - pos_);
            pos_ = end == std::string_view::npos ? stop : stop + 2;
            state_ = S::Data;
            Emit();
            eof_ = end == std::string_view::npos;
            break;
        }
        case S::CommentStart:
            if (c == '-') {
                ++pos_, state_ = S::CommentStartDash;
            } else if (c == '>') {
                ++pos_, state_ = S::Data;
                Emit();
            } else {
                state_ = S::Comment;
            }
            break;
        case S::CommentStartDash:
            if (c == '-') {
                ++pos_, state_ = S::CommentEnd;
            } else if (c == '>') {
                ++pos_, state_ = S::Data;
                Emit();
            } else if (c == kEof) {
                Emit();
                eof_ = true;
            } else {
                token_.data += '-';
                state_ = S::Comment;
            }
            break;
        case S::Comment:
            CopyUntil(input_, pos_, '<', '-', '\0', token_.data);
            switch (Peek()) {
                case '<':
                    ++pos_, token_.data += '<';
                    state_ = S::CommentLessThan;
                    break;
                case '-':
                    ++pos_, state_ = S::CommentEndDash;
                    break;
                case 0:
                    ++pos_, token_.data += kReplacement;
                    break;
                case kEof:
                    Emit();
                    eof_ = true;
                    break;
            }
            break;
        case S::CommentLessThan:
            if (c == '!') {
                ++pos_, token_.data += '!';
                state_ = S::CommentLessThanBang;
            } else if (c == '<') {
                ++pos_, token_.data += '<';
            } else {
                state_ = S::Comment;
            }
            break;
        case S::CommentLessThanBang:
            if (c == '-')
                ++pos_, state_ = S::CommentLessThanBangDash;
            else
                state_ = S::Comment;
            break;
        case S::CommentLessThanBangDash:
            if (c == '-')
                ++pos_, state_ = S::CommentLessThanBangDashDash;
            else
                state_ = S::CommentEndDash;
            break;
        case S::CommentLessThanBangDashDash:
            // "<!--" nested in a comment is an error; the comment goes on alike.
            state_ = S::CommentEnd;
            break;
        case S::CommentEndDash:
            if (c == '-') {
                ++pos_, state_ = S::CommentEnd;
            } else if (c == kEof) {
                Emit();
                eof_ = true;
            } else {
                token_.data += '-';
                state_ = S::Comment;
            }
            break;
        case S::CommentEnd:
            if (c == '>') {
                ++pos_, state_ = S::Data;
                Emit();
            } else if (c == '!') {
                ++pos_, state_ = S::CommentEndBang;
            } else if (c == '-') {
                ++pos_, token_.data += '-';
            } else if (c == kEof) {
                Emit();
                eof_ = true;
            } else {
                token_.data += "--";
                state_ = S::Comment;
            }
            break;
        case S::CommentEndBang:
            if (c == '-') {
                ++pos_, token_.data += "--!";
                state_ = S::CommentEndDash;
            } else if (c == '>') {
                ++pos_, state_ = S::Data;
                Emit();
            } else if (c == kEof) {
                Emit();
                eof_ = true;
            } else {
                token_.data += "--!";
                state_ = S::Comment;
            }
            break;

        case S::CdataSection:
            CopyUntil(input_, pos_, ']', ']', ']', pending_);
            if (Peek() == ']')
                ++pos_, state_ = S::CdataSectionBracket;
            else
                eof_ = true;
            break;
        case S::CdataSectionBracket:
            if (c == ']') {
                ++pos_, state_ = S::CdataSectionEnd;
            } else {
                pending_ += ']';
                state_ = S::CdataSection;
            }
            break;
        case S::CdataSectionEnd:
            if (c == ']') {
                ++pos_, pending_ += ']';
            } else if (c == '>') {
                ++pos_, state_ = S::Data;
            } else {
                pending_ += "]]";
                state_ = S::CdataSection;
            }
            break;

        default:
            RunDoctype(c);
            break;
    }
}

void THtmlTokenizer::RunDoctype(int c) {
    using S = TState;
    // The DOCTYPE token begins in the DOCTYPE name's states; those before it
    // start it where they end one.
    auto finish = [this](bool quirks, bool atEnd) {
        token_.forceQuirks = token_.forceQuirks || quirks;
        if (!atEnd)
            ++pos_, state_ = S::Data;
        Emit();
        eof_ = atEnd;
    };
    switch (state_) {
        case S::Doctype:
            if (IsWhitespace(c)) {
                ++pos_, state_ = S::BeforeDoctypeName;
            } else if (c == kEof) {
                StartToken(TTokenKind::Doctype);
                finish(true, true);
            } else {
                state_ = S::BeforeDoctypeName;
            }
            break;
        case S::BeforeDoctypeName:
            if (IsWhitespace(c)) {
                ++pos_;
                break;
            }
            StartToken(TTokenKind::Doctype);
            if (c == '>') {
                finish(true, false);
            } else if (c == kEof) {
                finish(true, true);
            } else {
                ++pos_, AppendName(token_.data, c);
                state_ = S::DoctypeName;
            }
            break;
        case S::DoctypeName:
            CopyRun(input_, pos_, kNameStops, token_.data);
            switch (const int d = Peek()) {
                case '\t':
                case '\n':
                case '\f':
                case ' ':
                    ++pos_, state_ = S::AfterDoctypeName;
                    break;
                case '>':
                    finish(false, false);
                    break;
                case kEof:
                    finish(true, true);
                    break;
                case '/':
                    ++pos_, token_.data += '/';
                    break;
                default:
                    ++pos_, AppendName(token_.data, d);
                    break;
            }
            break;
        case S::AfterDoctypeName:
            if (IsWhitespace(c)) {
                ++pos_;
            } else if (c == '>') {
                finish(false, false);
            } else if (c == kEof) {
                finish(true, true);
            } else if (LookingAt("public", true)) {
                pos_ += 6, state_ = S::AfterDoctypePublicKeyword;
            } else if (LookingAt("system", true)) {
                pos_ += 6, state_ = S::AfterDoctypeSystemKeyword;
            } else {
                token_.forceQuirks = true;
                state_ = S::BogusDoctype;
            }
            break;
        case S::AfterDoctypePublicKeyword:
        case S::BeforeDoctypePublicId:
        case S::AfterDoctypeSystemKeyword:
        case S::BeforeDoctypeSystemId: {
            const bool isPublic =
                state_ == S::AfterDoctypePublicKeyword || state_ == S::BeforeDoctypePublicId;
            const bool keyword =
                state_ == S::AfterDoctypePublicKeyword || state_ == S::AfterDoctypeSystemKeyword;
            if (IsWhitespace(c)) {
                ++pos_;
                if (keyword)
                    state_ = isPublic ? S::BeforeDoctypePublicId : S::BeforeDoctypeSystemId;
            } else if (c == '"' || c == '\'') {
                ++pos_;
                (isPublic ? token_.hasPublicId : token_.hasSystemId) = true;
                (isPublic ? token_.publicId : token_.systemId).clear();
                state_ = isPublic
                             ? (c == '"' ? S::DoctypePublicIdDouble : S::DoctypePublicIdSingle)
                             : (c == '"' ? S::DoctypeSystemIdDouble : S::DoctypeSystemIdSingle);
            } else if (c == '>') {
                finish(true, false);
            } else if (c == kEof) {
                finish(true, true);
            } else {
                token_.forceQuirks = true;
                state_ = S::BogusDoctype;
            }
            break;
        }
        case S::DoctypePublicIdDouble:
        case S::DoctypePublicIdSingle:
        case S::DoctypeSystemIdDouble:
        case S::DoctypeSystemIdSingle: {
            const bool isPublic =
                state_ == S::DoctypePublicIdDouble || state_ == S::DoctypePublicIdSingle;
            const bool dq =
                state_ == S::DoctypePublicIdDouble || state_ == S::DoctypeSystemIdDouble;
            std::string& id = isPublic ? token_.publicId : token_.systemId;
            CopyRun(input_, pos_, dq ? kDoubleIdStops : kSingleIdStops, id);
            switch (Peek()) {
                case 0:
                    ++pos_, id += kReplacement;
                    break;
                case '>':
                    finish(true, false);
                    break;
                case kEof:
                    finish(true, true);
                    break;
                default:
                    ++pos_;
                    state_ = isPublic ? S::AfterDoctypePublicId : S::AfterDoctypeSystemId;
                    break;
            }
            break;
        }
        case S::AfterDoctypePublicId:
        case S::BetweenDoctypeIds:
            if (IsWhitespace(c)) {
                ++pos_, state_ = S::BetweenDoctypeIds;
            } else if (c == '>') {
                finish(false, false);
            } else if (c == '"' || c == '\'') {
                ++pos_;
                token_.hasSystemId = true;
                token_.systemId.clear();
                state_ = c == '"' ? S::DoctypeSystemIdDouble : S::DoctypeSystemIdSingle;
            } else if (c == kEof) {
                finish(true, true);
            } else {
                token_.forceQuirks = true;
                state_ = S::BogusDoctype;
            }
            break;
        case S::AfterDoctypeSystemId:
            if (IsWhitespace(c)) {
                ++pos_;
            } else if (c == '>') {
                finish(false, false);
            } else if (c == kEof) {
                finish(true, true);
            } else {
                // Unlike the errors before, this one leaves the mode alone.
                state_ = S::BogusDoctype;
            }
            break;
        case S::BogusDoctype: {
            const std::size_t end = input_.find('>', pos_);
            if (end == std::string_view::npos) {
                pos_ = input_.size();
                finish(false, true);
            } else {
                pos_ = end;
                finish(false, false);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace zelvo::text
