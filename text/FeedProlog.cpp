#include "text/FeedProlog.h"

#include <unordered_map>

namespace zelvo::text {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kMaxEntities = 1024;
constexpr std::size_t kMaxEntityNameLength = 64;

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Past the end of the first occurrence of what at or after from (the text's
// end when there is none).
std::size_t After(std::string_view text, std::size_t from, std::string_view what) {
    const std::size_t at = text.find(what, from);
    return at == npos ? text.size() : at + what.size();
}

// Past a quoted string starting at i, or i when there is none.
std::size_t SkipQuoted(std::string_view text, std::size_t i) {
    if (i < text.size() && (text[i] == '"' || text[i] == '\''))
        return After(text, i + 1, text.substr(i, 1));
    return i;
}

// Past the ">" that ends a declaration, quoted strings stepped over.
std::size_t EndOfDeclaration(std::string_view text, std::size_t i) {
    while (i < text.size()) {
        const char c = text[i];
        if (c == '>')
            return i + 1;
        if (c == '"' || c == '\'')
            i = SkipQuoted(text, i);
        else
            ++i;
    }
    return i;
}

std::size_t SkipSpace(std::string_view text, std::size_t i) {
    while (i < text.size() && IsXmlSpace(text[i]))
        ++i;
    return i;
}

bool StartsWithAt(std::string_view text, std::size_t i, std::string_view what) {
    return text.substr(i, what.size()) == what;
}

bool StartsWithNoCase(std::string_view text, std::size_t i, std::string_view what) {
    if (text.size() - std::min(i, text.size()) < what.size())
        return false;
    for (std::size_t k = 0; k < what.size(); ++k) {
        char c = text[i + k];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        if (c != what[k])
            return false;
    }
    return true;
}

// One <!ENTITY ...> at i; a general entity with a literal value is kept.
std::size_t ReadEntityDeclaration(std::string_view text, std::size_t i, TProlog& prolog) {
    std::size_t j = SkipSpace(text, i + 8);
    const bool parameter = j < text.size() && text[j] == '%';
    if (parameter)
        j = SkipSpace(text, j + 1);
    const std::size_t nameStart = j;
    while (j < text.size() && IsNameChar(text[j]))
        ++j;
    const std::string_view name = text.substr(nameStart, j - nameStart);
    j = SkipSpace(text, j);
    if (!parameter && !name.empty() && j < text.size() && (text[j] == '"' || text[j] == '\'')) {
        const std::size_t close = text.find(text[j], j + 1);
        const std::size_t valueEnd = close == npos ? text.size() : close;
        if (prolog.entities.size() < kMaxEntities) {
            bool known = false;
            for (const auto& e : prolog.entities)
                known = known || e.first == name;
            if (!known)
                prolog.entities.emplace_back(std::string(name),
                                             std::string(text.substr(j + 1, valueEnd - j - 1)));
        }
    }
    return EndOfDeclaration(text, j);
}

// Past a DOCTYPE starting at i, its internal subset read for entities.
std::size_t ReadDoctype(std::string_view text, std::size_t i, TProlog& prolog) {
    i += 9;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '>')
            return i + 1;
        if (c == '"' || c == '\'') {
            i = SkipQuoted(text, i);
            continue;
        }
        if (c != '[') {
            ++i;
            continue;
        }
        ++i;
        while (i < text.size() && text[i] != ']') {
            if (StartsWithAt(text, i, "<!--"))
                i = After(text, i + 4, "-->");
            else if (StartsWithAt(text, i, "<?"))
                i = After(text, i + 2, "?>");
            else if (StartsWithAt(text, i, "<!ENTITY"))
                i = ReadEntityDeclaration(text, i, prolog);
            else if (StartsWithAt(text, i, "<!"))
                i = EndOfDeclaration(text, i + 2);
            else
                ++i;
        }
        if (i < text.size())
            ++i;
    }
    return i;
}

}  // namespace

TProlog ScanProlog(std::string_view text) {
    TProlog prolog;
    std::size_t i = 0;
    while (i < text.size()) {
        if (StartsWithAt(text, i, "\xEF\xBB\xBF")) {
            i += 3;
            continue;
        }
        if (IsXmlSpace(text[i])) {
            ++i;
            continue;
        }
        if (text[i] != '<')
            return prolog;
        if (StartsWithAt(text, i, "<?"))
            i = After(text, i + 2, "?>");
        else if (StartsWithAt(text, i, "<!--"))
            i = After(text, i + 4, "-->");
        else if (StartsWithNoCase(text, i, "<!DOCTYPE"))
            i = ReadDoctype(text, i, prolog);
        else if (i + 1 < text.size() && IsNameStart(text[i + 1])) {
            std::size_t end = i + 1;
            while (end < text.size() && IsNameChar(text[end]))
                ++end;
            prolog.hasRoot = true;
            prolog.ranOut = end == text.size();  // the name may go on
            prolog.rootOffset = i;
            prolog.rootName = text.substr(i + 1, end - i - 1);
            return prolog;
        } else {
            return prolog;
        }
    }
    prolog.ranOut = true;
    return prolog;
}

bool IsFeedRootName(std::string_view name) {
    const std::size_t colon = name.find(':');
    const std::string_view local = colon == npos ? name : name.substr(colon + 1);
    return local == "rss" || local == "feed" || local == "RDF";
}

namespace {

// Replacement texts with their own references expanded, each computed once,
// so entities that refer to each other many times over cost no more than
// their capped results.
class TEntityExpander {
public:
    TEntityExpander(const std::vector<std::pair<std::string, std::string>>& entities,
                    std::size_t budget)
        : entities_(entities),
          memoBudget_(budget),
          state_(entities.size(), TState::Pending),
          expanded_(entities.size()) {
        for (std::size_t k = 0; k < entities.size(); ++k)
            index_.emplace(entities[k].first, k);
    }

    // The entity referenced at text[i] ("&name;"): its index and the
    // reference's length, or false.
    bool Reference(std::string_view text, std::size_t i, std::size_t& entity,
                   std::size_t& length) const {
        std::size_t j = i + 1;
        if (j >= text.size() || !IsNameStart(text[j]))
            return false;
        while (j < text.size() && j - i <= kMaxEntityNameLength && IsNameChar(text[j]))
            ++j;
        if (j >= text.size() || text[j] != ';')
            return false;
        const auto it = index_.find(std::string(text.substr(i + 1, j - i - 1)));
        if (it == index_.end())
            return false;
        entity = it->second;
        length = j + 1 - i;
        return true;
    }

    // The expanded replacement text of entity k ("" while it is being
    // expanded: a circular reference gives nothing).
    const std::string& Expanded(std::size_t k) {
        static const std::string kNothing;
        if (state_[k] == TState::Busy)
            return kNothing;
        if (state_[k] == TState::Done)
            return expanded_[k];
        state_[k] = TState::Busy;
        std::string out;
        Expand(entities_[k].second, out, memoBudget_);
        expanded_[k] = std::move(out);
        state_[k] = TState::Done;
        return expanded_[k];
    }

    // Appends text to out with references expanded, adding at most budget
    // bytes over text's own length; budget keeps what is left.
    void Expand(std::string_view text, std::string& out, std::size_t& budget) {
        std::size_t plain = 0;
        for (std::size_t i = text.find('&'); i != npos; i = text.find('&', i)) {
            std::size_t entity = 0, length = 0;
            if (!Reference(text, i, entity, length)) {
                ++i;
                continue;
            }
            out.append(text.substr(plain, i - plain));
            const std::string& value = Expanded(entity);
            if (value.size() <= budget + length) {
                out += value;
                budget -= value.size() > length ? value.size() - length : 0;
            } else {
                budget = 0;  // spent: what follows expands to nothing
            }
            i += length;
            plain = i;
        }
        out.append(text.substr(plain));
    }

private:
    enum class TState { Pending, Busy, Done };
    const std::vector<std::pair<std::string, std::string>>& entities_;
    // What all replacement texts together may grow by: without it, entities
    // that each name the one before ten times would grow tenfold a level.
    std::size_t memoBudget_;
    std::vector<TState> state_;
    std::vector<std::string> expanded_;
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace

std::string ExpandDeclaredEntities(std::string_view body,
                                   const std::vector<std::pair<std::string, std::string>>& entities,
                                   std::size_t budget) {
    TEntityExpander expander(entities, budget);
    std::string out;
    out.reserve(body.size());
    expander.Expand(body, out, budget);
    return out;
}

}  // namespace zelvo::text
