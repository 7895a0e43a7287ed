#include "text/HtmlTokenizer.h"

#include <utility>

#include "text/HtmlCharacterReferences.h"
#include "text/HtmlInputStream.h"
#include "text/HtmlTokenizerStates.h"

namespace zelvo::text {

using namespace detail;

namespace {

// The content model the tree builder picks after a start tag of this name.
template <typename State>
bool ContentModelAfter(std::string_view name, State& state) {
    if (name == "title" || name == "textarea")
        state = State::Rcdata;
    else if (name == "style" || name == "xmp" || name == "iframe" || name == "noembed" ||
             name == "noframes")
        state = State::Rawtext;
    else if (name == "script")
        state = State::ScriptData;
    else if (name == "plaintext")
        state = State::Plaintext;
    else
        return false;
    return true;
}

}  // namespace

const std::string* THtmlToken::Attribute(std::string_view name) const {
    for (const THtmlAttribute& a : attributes)
        if (a.name == name)
            return &a.value;
    return nullptr;
}

THtmlTokenizer::THtmlTokenizer(std::string_view utf8, TTokenizerOptions options)
    : input_(utf8), options_(options), state_(TState::Data) {
    if (detail::PreprocessInput(utf8, owned_, offsets_))
        input_ = owned_;
}

THtmlTokenizer::THtmlTokenizer(std::string&& utf8, TTokenizerOptions options)
    : options_(options), state_(TState::Data) {
    if (detail::PreprocessInPlace(utf8, offsets_)) {
        owned_ = std::move(utf8);
    } else if (!detail::PreprocessInput(utf8, owned_, offsets_)) {
        owned_ = std::move(utf8);
    }
    input_ = owned_;
}

void THtmlTokenizer::SetState(TTokenizerState state) {
    switch (state) {
        case TTokenizerState::Data:
            state_ = TState::Data;
            break;
        case TTokenizerState::Rcdata:
            state_ = TState::Rcdata;
            break;
        case TTokenizerState::Rawtext:
            state_ = TState::Rawtext;
            break;
        case TTokenizerState::ScriptData:
            state_ = TState::ScriptData;
            break;
        case TTokenizerState::Plaintext:
            state_ = TState::Plaintext;
            break;
        case TTokenizerState::CdataSection:
            state_ = TState::CdataSection;
            break;
    }
}

void THtmlTokenizer::SetLastStartTag(std::string_view name) {
    lastStartTag_.assign(name);
}

std::size_t THtmlTokenizer::Position() const {
    return offsets_.empty() && owned_.empty() ? pos_ : detail::OriginalOffset(offsets_, pos_);
}

bool THtmlTokenizer::Next(THtmlToken& token) {
    for (;;) {
        if (ready_) {
            if (!pending_.empty()) {
                EmitCharacters(token);
                return true;
            }
            // The caller's previous token comes back as the next one to fill;
            // only its strings' buffers matter, the rest is set anew.
            token.data.swap(token_.data);
            token.attributes.swap(token_.attributes);
            if (token_.kind == TTokenKind::Doctype) {
                token.publicId.swap(token_.publicId);
                token.systemId.swap(token_.systemId);
            } else {
                token.publicId.clear();
                token.systemId.clear();
            }
            token.kind = token_.kind;
            token.selfClosing = token_.selfClosing;
            token.forceQuirks = token_.forceQuirks;
            token.hasPublicId = token_.hasPublicId;
            token.hasSystemId = token_.hasSystemId;
            ready_ = false;
            return true;
        }
        if (eof_) {
            if (!pending_.empty()) {
                EmitCharacters(token);
                return true;
            }
            Recycle(token);
            token.kind = TTokenKind::EndOfFile;
            if (done_)
                return false;
            done_ = true;
            return true;
        }
        Run();
    }
}

void THtmlTokenizer::EmitCharacters(THtmlToken& token) {
    Recycle(token);
    token.kind = TTokenKind::Character;
    token.data.swap(pending_);
}

void THtmlTokenizer::Recycle(THtmlToken& token) {
    for (THtmlAttribute& a : token.attributes) {
        a.name.clear();
        a.value.clear();
        spare_.push_back(std::move(a));
    }
    token.attributes.clear();
    token.data.clear();
    token.selfClosing = false;
    token.forceQuirks = false;
    token.hasPublicId = false;
    token.hasSystemId = false;
    token.publicId.clear();
    token.systemId.clear();
}

void THtmlTokenizer::StartToken(TTokenKind kind) {
    Recycle(token_);
    token_.kind = kind;
    if (!seen_.empty())
        seen_.clear();
}

void THtmlTokenizer::StartAttribute() {
    auto& attributes = token_.attributes;
    if (spare_.empty()) {
        attributes.emplace_back();
    } else {
        attributes.push_back(std::move(spare_.back()));
        spare_.pop_back();
    }
    value_ = &attributes.back().value;
}

void THtmlTokenizer::FinishAttributeName() {
    auto& attributes = token_.attributes;
    const std::string& name = attributes.back().name;
    bool duplicate = false;
    // Few attributes are compared one by one; a tag with very many keeps a
    // set, so that no tag costs more than its length.
    constexpr std::size_t kFew = 16;
    if (attributes.size() <= kFew) {
        for (std::size_t i = 0; i + 1 < attributes.size() && !duplicate; ++i)
            duplicate = attributes[i].name == name;
    } else {
        if (seen_.empty())
            for (std::size_t i = 0; i + 1 < attributes.size(); ++i)
                seen_.insert(attributes[i].name);
        duplicate = !seen_.insert(name).second;
    }
    if (!duplicate)
        return;
    THtmlAttribute& last = attributes.back();
    last.name.clear();
    last.value.clear();
    spare_.push_back(std::move(last));
    attributes.pop_back();
    dropped_.clear();
    value_ = &dropped_;
}

void THtmlTokenizer::Emit() {
    if (token_.kind == TTokenKind::StartTag) {
        lastStartTag_ = token_.data;
        if (options_.switchContentModels && !options_.xmlLike)
            ContentModelAfter(token_.data, state_);
    }
    ready_ = true;
}

bool THtmlTokenizer::IsAppropriateEndTag() const {
    return !lastStartTag_.empty() && token_.data == lastStartTag_;
}

void THtmlTokenizer::AppendName(std::string& to, int c) const {
    if (c == 0)
        to += kReplacement;
    else
        to += options_.xmlLike ? static_cast<char>(c) : Lower(c);
}

bool THtmlTokenizer::LookingAt(std::string_view word, bool ignoreCase) const {
    if (input_.size() - pos_ < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = input_[pos_ + i];
        if (ignoreCase ? Lower(static_cast<unsigned char>(c)) != word[i] : c != word[i])
            return false;
    }
    return true;
}

// The end tag name states of RCDATA, RAWTEXT, script data and escaped script
// data differ only in the state they fall back to.
void THtmlTokenizer::EndTagNameStep(int c, TState text) {
    if (IsAlpha(c)) {
        AppendName(token_.data, c);
        temp_ += static_cast<char>(c);
        ++pos_;
        return;
    }
    if (IsAppropriateEndTag()) {
        if (IsWhitespace(c)) {
            ++pos_;
            state_ = TState::BeforeAttributeName;
            return;
        }
        if (c == '/') {
            ++pos_;
            state_ = TState::SelfClosingStartTag;
            return;
        }
        if (c == '>') {
            ++pos_;
            state_ = TState::Data;
            Emit();
            return;
        }
    }
    pending_ += "</";
    pending_ += temp_;
    state_ = text;
}

void THtmlTokenizer::Run() {
    using S = TState;
    while (!ready_ && !eof_) {
        const int c = Peek();
        switch (state_) {
            // Text.
            case S::Data:
                CopyUntil(input_, pos_, '<', '&', '\0', pending_);
                switch (Peek()) {
                    case '&':
                        pos_ +=
                            detail::ConsumeCharacterReference(input_.substr(pos_), false, pending_);
                        break;
                    case '<':
                        ++pos_, state_ = S::TagOpen;
                        break;
                    case 0:
                        ++pos_, pending_ += '\0';
                        break;
                    case kEof:
                        eof_ = true;
                        break;
                }
                break;
            case S::Rcdata:
                CopyUntil(input_, pos_, '<', '&', '\0', pending_);
                switch (Peek()) {
                    case '&':
                        pos_ +=
                            detail::ConsumeCharacterReference(input_.substr(pos_), false, pending_);
                        break;
                    case '<':
                        ++pos_, state_ = S::RcdataLessThan;
                        break;
                    case 0:
                        ++pos_, pending_ += kReplacement;
                        break;
                    case kEof:
                        eof_ = true;
                        break;
                }
                break;
            case S::Rawtext:
            case S::ScriptData:
                CopyUntil(input_, pos_, '<', '\0', '\0', pending_);
                switch (Peek()) {
                    case '<':
                        ++pos_;
                        state_ = state_ == S::Rawtext ? S::RawtextLessThan : S::ScriptLessThan;
                        break;
                    case 0:
                        ++pos_, pending_ += kReplacement;
                        break;
                    case kEof:
                        eof_ = true;
                        break;
                }
                break;
            case S::Plaintext:
                CopyUntil(input_, pos_, '\0', '\0', '\0', pending_);
                if (Peek() == 0)
                    ++pos_, pending_ += kReplacement;
                else
                    eof_ = true;
                break;

            // Tags.
            case S::TagOpen:
                if (c == '!') {
                    ++pos_, state_ = S::MarkupDeclarationOpen;
                } else if (c == '/') {
                    ++pos_, state_ = S::EndTagOpen;
                } else if (IsAlpha(c)) {
                    StartToken(TTokenKind::StartTag);
                    state_ = S::TagName;
                } else if (c == '?') {
                    StartToken(TTokenKind::Comment);
                    if (options_.xmlLike)
                        ++pos_, state_ = S::ProcessingInstruction;
                    else
                        state_ = S::BogusComment;
                } else if (c == kEof) {
                    pending_ += '<';
                    eof_ = true;
                } else {
                    pending_ += '<';
                    state_ = S::Data;
                }
                break;
            case S::EndTagOpen:
                if (IsAlpha(c)) {
                    StartToken(TTokenKind::EndTag);
                    state_ = S::TagName;
                } else if (c == '>') {
                    ++pos_, state_ = S::Data;
                } else if (c == kEof) {
                    pending_ += "</";
                    eof_ = true;
                } else {
                    StartToken(TTokenKind::Comment);
                    state_ = S::BogusComment;
                }
                break;
            case S::TagName:
                CopyRun(input_, pos_, kNameStops, token_.data);
                switch (const int d = Peek()) {
                    case '\t':
                    case '\n':
                    case '\f':
                    case ' ':
                        ++pos_, state_ = S::BeforeAttributeName;
                        break;
                    case '/':
                        ++pos_, state_ = S::SelfClosingStartTag;
                        break;
                    case '>':
                        ++pos_, state_ = S::Data;
                        Emit();
                        break;
                    case kEof:
                        eof_ = true;
                        break;
                    default:
                        ++pos_, AppendName(token_.data, d);
                        break;
                }
                break;
            case S::BeforeAttributeName:
                if (IsWhitespace(c)) {
                    ++pos_;
                } else if (c == '/' || c == '>' || c == kEof) {
                    state_ = S::AfterAttributeName;
                } else if (c == '=') {
                    ++pos_;
                    StartAttribute();
                    token_.attributes.back().name += '=';
                    state_ = S::AttributeName;
                } else {
                    StartAttribute();
                    state_ = S::AttributeName;
                }
                break;
            case S::AttributeName:
                CopyRun(input_, pos_, kAttributeNameStops, token_.attributes.back().name);
                switch (const int d = Peek()) {
                    case '\t':
                    case '\n':
                    case '\f':
                    case ' ':
                    case '/':
                    case '>':
                    case kEof:
                        FinishAttributeName();
                        state_ = S::AfterAttributeName;
                        break;
                    case '=':
                        ++pos_;
                        FinishAttributeName();
                        state_ = S::BeforeAttributeValue;
                        break;
                    default:
                        ++pos_, AppendName(token_.attributes.back().name, d);
                        break;
                }
                break;
            case S::AfterAttributeName:
                if (IsWhitespace(c)) {
                    ++pos_;
                } else if (c == '/') {
                    ++pos_, state_ = S::SelfClosingStartTag;
                } else if (c == '=') {
                    ++pos_, state_ = S::BeforeAttributeValue;
                } else if (c == '>') {
                    ++pos_, state_ = S::Data;
                    Emit();
                } else if (c == kEof) {
                    eof_ = true;
                } else {
                    StartAttribute();
                    state_ = S::AttributeName;
                }
                break;
            case S::BeforeAttributeValue:
                if (IsWhitespace(c)) {
                    ++pos_;
                } else if (c == '"') {
                    ++pos_, state_ = S::AttributeValueDouble;
                } else if (c == '\'') {
                    ++pos_, state_ = S::AttributeValueSingle;
                } else if (c == '>') {
                    ++pos_, state_ = S::Data;
                    Emit();
                } else {
                    state_ = S::AttributeValueUnquoted;
                }
                break;
            case S::AttributeValueDouble:
            case S::AttributeValueSingle: {
                const bool dq = state_ == S::AttributeValueDouble;
                CopyUntil(input_, pos_, dq ? '"' : '\'', '&', '\0', *value_);
                switch (Peek()) {
                    case '&':
                        pos_ +=
                            detail::ConsumeCharacterReference(input_.substr(pos_), true, *value_);
                        break;
                    case 0:
                        ++pos_, *value_ += kReplacement;
                        break;
                    case kEof:
                        eof_ = true;
                        break;
                    default:
                        ++pos_, state_ = S::AfterAttributeValueQuoted;
                        break;
                }
                break;
            }
            case S::AttributeValueUnquoted:
                CopyRun(input_, pos_, kUnquotedStops, *value_);
                switch (Peek()) {
                    case '&':
                        pos_ +=
                            detail::ConsumeCharacterReference(input_.substr(pos_), true, *value_);
                        break;
                    case 0:
                        ++pos_, *value_ += kReplacement;
                        break;
                    case '>':
                        ++pos_, state_ = S::Data;
                        Emit();
                        break;
                    case kEof:
                        eof_ = true;
                        break;
                    default:
                        ++pos_, state_ = S::BeforeAttributeName;
                        break;
                }
                break;
            case S::AfterAttributeValueQuoted:
                if (IsWhitespace(c)) {
                    ++pos_, state_ = S::BeforeAttributeName;
                } else if (c == '/') {
                    ++pos_, state_ = S::SelfClosingStartTag;
                } else if (c == '>') {
                    ++pos_, state_ = S::Data;
                    Emit();
                } else if (c == kEof) {
                    eof_ = true;
                } else {
                    state_ = S::BeforeAttributeName;
                }
                break;
            case S::SelfClosingStartTag:
                if (c == '>') {
                    ++pos_, state_ = S::Data;
                    token_.selfClosing = true;
                    Emit();
                } else if (c == kEof) {
                    eof_ = true;
                } else {
                    state_ = S::BeforeAttributeName;
                }
                break;

            // End tags in text whose end only an appropriate end tag marks.
            case S::RcdataLessThan:
            case S::RawtextLessThan: {
                const bool rcdata = state_ == S::RcdataLessThan;
                if (c == '/') {
                    ++pos_;
                    temp_.clear();
                    state_ = rcdata ? S::RcdataEndTagOpen : S::RawtextEndTagOpen;
                } else {
                    pending_ += '<';
                    state_ = rcdata ? S::Rcdata : S::Rawtext;
                }
                break;
            }
            case S::RcdataEndTagOpen:
            case S::RawtextEndTagOpen:
            case S::ScriptEndTagOpen:
            case S::ScriptEscapedEndTagOpen: {
                const S open = state_;
                if (IsAlpha(c)) {
                    StartToken(TTokenKind::EndTag);
                    state_ = open == S::RcdataEndTagOpen    ? S::RcdataEndTagName
                             : open == S::RawtextEndTagOpen ? S::RawtextEndTagName
                             : open == S::ScriptEndTagOpen  ? S::ScriptEndTagName
                                                            : S::ScriptEscapedEndTagName;
                } else {
                    pending_ += "</";
                    state_ = open == S::RcdataEndTagOpen    ? S::Rcdata
                             : open == S::RawtextEndTagOpen ? S::Rawtext
                             : open == S::ScriptEndTagOpen  ? S::ScriptData
                                                            : S::ScriptEscaped;
                }
                break;
            }
            case S::RcdataEndTagName:
                EndTagNameStep(c, S::Rcdata);
                break;
            case S::RawtextEndTagName:
                EndTagNameStep(c, S::Rawtext);
                break;
            case S::ScriptEndTagName:
                EndTagNameStep(c, S::ScriptData);
                break;
            case S::ScriptEscapedEndTagName:
                EndTagNameStep(c, S::ScriptEscaped);
                break;

            default:
                RunMarkup(c);
                break;
        }
    }
}

}  // namespace zelvo::text
