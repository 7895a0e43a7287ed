#pragma once
// Enough JSON to read the public suites' case files without a toolkit: values
// compare as JSON does (an object's members in any order) and print compactly
// for a failure's message. Strings are held as UTF-8; a surrogate pair
// escaped as two "\u" sequences is one character, a lone surrogate U+FFFD.
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::testing {

class Json {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };
    using Array = std::vector<Json>;
    using Object = std::map<std::string, Json>;

    Json() = default;
    Json(bool b) : kind_(Kind::Bool), bool_(b) {}
    Json(double n) : kind_(Kind::Number), number_(n) {}
    Json(std::string s) : kind_(Kind::String), string_(std::move(s)) {}
    Json(const char* s) : Json(std::string(s)) {}
    Json(Array a) : kind_(Kind::Array), array_(std::move(a)) {}
    Json(Object o) : kind_(Kind::Object), object_(std::move(o)) {}

    // Throws std::runtime_error where the text is no JSON.
    static Json Parse(std::string_view text) {
        Parser parser{text};
        Json value = parser.Value();
        parser.Blanks();
        if (parser.at != text.size())
            parser.Fail("text after the value");
        return value;
    }

    Kind kind() const { return kind_; }
    bool IsString() const { return kind_ == Kind::String; }
    bool IsArray() const { return kind_ == Kind::Array; }
    bool IsObject() const { return kind_ == Kind::Object; }
    // What is not of the kind asked for reads as its kind's empty value.
    bool Bool() const { return kind_ == Kind::Bool && bool_; }
    const std::string& String() const { return string_; }
    const Array& Elements() const { return array_; }
    Array& Elements() { return array_; }
    const Object& Members() const { return object_; }
    Object& Members() { return object_; }

    // A member, or null when the object has none of that name.
    const Json& operator[](const std::string& name) const {
        static const Json none;
        const auto it = object_.find(name);
        return it == object_.end() ? none : it->second;
    }

    friend bool operator==(const Json& a, const Json& b) {
        if (a.kind_ != b.kind_)
            return false;
        switch (a.kind_) {
            case Kind::Null:
                return true;
            case Kind::Bool:
                return a.bool_ == b.bool_;
            case Kind::Number:
                return a.number_ == b.number_;
            case Kind::String:
                return a.string_ == b.string_;
            case Kind::Array:
                return a.array_ == b.array_;
            case Kind::Object:
                return a.object_ == b.object_;
        }
        return false;
    }

    std::string Text() const {
        std::string out;
        Write(out);
        return out;
    }

private:
    struct Parser {
        std::string_view text;
        std::size_t at = 0;

        [[noreturn]] void Fail(const char* what) const {
            throw std::runtime_error(std::string("JSON: ") + what + " at offset " +
                                     std::to_string(at));
        }
        void Blanks() {
            while (at < text.size() &&
                   (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r'))
                ++at;
        }
        bool Take(std::string_view word) {
            if (text.substr(at, word.size()) != word)
                return false;
            at += word.size();
            return true;
        }
        void Expect(char c) {
            Blanks();
            if (at >= text.size() || text[at] != c)
                Fail("unexpected character");
            ++at;
        }
        Json Value() {
            Blanks();
            if (at >= text.size())
                Fail("missing value");
            switch (text[at]) {
                case '{':
                    return ObjectValue();
                case '[':
                    return ArrayValue();
                case '"':
                    return Json(StringValue());
                default:
                    break;
            }
            if (Take("null"))
                return Json();
            if (Take("true"))
                return Json(true);
            if (Take("false"))
                return Json(false);
            return NumberValue();
        }
        Json ObjectValue() {
            ++at;
            Object members;
            Blanks();
            if (Take("}"))
                return Json(std::move(members));
            for (;;) {
                Blanks();
                if (at >= text.size() || text[at] != '"')
                    Fail("member name expected");
                std::string name = StringValue();
                Expect(':');
                members.insert_or_assign(std::move(name), Value());
                Blanks();
                if (Take("}"))
                    return Json(std::move(members));
                Expect(',');
            }
        }
        Json ArrayValue() {
            ++at;
            Array elements;
            Blanks();
            if (Take("]"))
                return Json(std::move(elements));
            for (;;) {
                elements.push_back(Value());
                Blanks();
                if (Take("]"))
                    return Json(std::move(elements));
                Expect(',');
            }
        }
        Json NumberValue() {
            const std::size_t start = at;
            while (at < text.size() &&
                   std::string_view("+-0123456789.eE").find(text[at]) != std::string_view::npos)
                ++at;
            if (at == start)
                Fail("unexpected character");
            const std::string digits(text.substr(start, at - start));
            char* end = nullptr;
            const double n = std::strtod(digits.c_str(), &end);
            if (end != digits.c_str() + digits.size())
                Fail("malformed number");
            return Json(n);
        }
        unsigned Unit() {
            if (at + 4 > text.size())
                Fail("short \\u escape");
            unsigned unit = 0;
            for (int i = 0; i < 4; ++i) {
                const char c = text[at++];
                const int digit = c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
                if (digit < 0)
                    Fail("bad \\u escape");
                unit = unit * 16 + static_cast<unsigned>(digit);
            }
            return unit;
        }
        std::string StringValue() {
            ++at;
            std::string out;
            for (;;) {
                if (at >= text.size())
                    Fail("unterminated string");
                const char c = text[at++];
                if (c == '"')
                    return out;
                if (c != '\\') {
                    out += c;
                    continue;
                }
                if (at >= text.size())
                    Fail("unterminated string");
                const char e = text[at++];
                switch (e) {
                    case 'b':
                        out += '\b';
                        break;
                    case 'f':
                        out += '\f';
                        break;
                    case 'n':
                        out += '\n';
                        break;
                    case 'r':
                        out += '\r';
                        break;
                    case 't':
                        out += '\t';
                        break;
                    case 'u': {
                        char32_t cp = Unit();
                        if (cp >= 0xD800 && cp <= 0xDBFF && Take("\\u")) {
                            const std::size_t low = at;
                            const unsigned next = Unit();
                            if (next >= 0xDC00 && next <= 0xDFFF)
                                cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
                            else
                                at = low - 2;  // read it again on its own
                        }
                        AppendUtf8(out, cp);
                        break;
                    }
                    default:
                        out += e;  // '"', '\\' and '/'
                }
            }
        }
    };

public:
    // A code point as UTF-8; a surrogate, which UTF-8 cannot hold, as U+FFFD.
    static void AppendUtf8(std::string& out, char32_t cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

private:
    static void WriteString(std::string& out, const std::string& s) {
        static const char kHex[] = "0123456789abcdef";
        out += '"';
        for (const char c : s) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += c;
            }
        }
        out += '"';
    }

    void Write(std::string& out) const {
        switch (kind_) {
            case Kind::Null:
                out += "null";
                break;
            case Kind::Bool:
                out += bool_ ? "true" : "false";
                break;
            case Kind::Number: {
                std::string n = std::to_string(number_);
                out += n;
                break;
            }
            case Kind::String:
                WriteString(out, string_);
                break;
            case Kind::Array: {
                out += '[';
                for (std::size_t i = 0; i < array_.size(); ++i) {
                    if (i > 0)
                        out += ',';
                    array_[i].Write(out);
                }
                out += ']';
                break;
            }
            case Kind::Object: {
                out += '{';
                bool first = true;
                for (const auto& [name, value] : object_) {
                    if (!first)
                        out += ',';
                    first = false;
                    WriteString(out, name);
                    out += ':';
                    value.Write(out);
                }
                out += '}';
                break;
            }
        }
    }

    Kind kind_ = Kind::Null;
    bool bool_ = false;
    double number_ = 0;
    std::string string_;
    Array array_;
    Object object_;
};

}  // namespace zelvo::testing
