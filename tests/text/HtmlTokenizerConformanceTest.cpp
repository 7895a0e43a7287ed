// The html5lib tokenizer cases, read where the conformance suites lie: each
// case's input from each of its initial states must give its token stream
// (parse errors are not compared).
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdlib>
#include <string>

#include "text/HtmlTokenizer.h"

namespace {

using zelvo::text::THtmlToken;
using zelvo::text::THtmlTokenizer;
using zelvo::text::TTokenizerOptions;
using zelvo::text::TTokenizerState;
using zelvo::text::TTokenKind;

// Beside the source tree, or where ZELVO_CONFORMANCE_DIR says (a checkout in
// a worktree has no neighbour of that name).
QString CasesDir() {
    const char* dir = std::getenv("ZELVO_CONFORMANCE_DIR");
    const char* source = std::getenv("ZELVO_SOURCE_DIR");
    const QString root =
        dir ? QString::fromUtf8(dir)
            : QString::fromUtf8(source ? source : ".") + QStringLiteral("/../shared/conformance");
    return root + QStringLiteral("/html5lib-tests/tokenizer/");
}

// "\uHHHH" sequences as the code units they name (for doubleEscaped cases).
QString Unescape(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        const ushort unit = i + 6 <= text.size() && text[i] == u'\\' && text[i + 1] == u'u'
                                ? text.mid(i + 2, 4).toUShort(&ok, 16)
                                : 0;
        if (ok) {
            out += QChar(unit);
            i += 5;
        } else {
            out += text[i];
        }
    }
    return out;
}

QJsonValue UnescapeAll(const QJsonValue& value) {
    if (value.isString())
        return Unescape(value.toString());
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue& v : value.toArray())
            out.append(UnescapeAll(v));
        return out;
    }
    if (value.isObject()) {
        QJsonObject out;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            out.insert(Unescape(it.key()), UnescapeAll(it.value()));
        return out;
    }
    return value;
}

// Adjacent character tokens as one, as the cases state them.
QJsonArray MergeCharacters(const QJsonArray& tokens) {
    QJsonArray out;
    for (const QJsonValue& token : tokens) {
        const QJsonArray t = token.toArray();
        if (t.at(0).toString() == QLatin1String("Character") && !out.isEmpty()) {
            QJsonArray last = out.last().toArray();
            if (last.at(0).toString() == QLatin1String("Character")) {
                last[1] = last.at(1).toString() + t.at(1).toString();
                out[out.size() - 1] = last;
                continue;
            }
        }
        out.append(t);
    }
    return out;
}

QJsonValue Text(const std::string& s) {
    QString text = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    // The decoder takes a leading U+FEFF for a byte-order mark and drops it.
    if (s.starts_with("\xEF\xBB\xBF") && !text.startsWith(QChar(0xFEFF)))
        text.prepend(QChar(0xFEFF));
    return text;
}

QJsonArray Tokenize(const QString& input, TTokenizerState state, const QString& lastStartTag) {
    const QByteArray utf8 = input.toUtf8();
    TTokenizerOptions options;
    options.switchContentModels = false;
    THtmlTokenizer tokenizer(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), options);
    tokenizer.SetState(state);
    if (!lastStartTag.isEmpty())
        tokenizer.SetLastStartTag(lastStartTag.toStdString());
    QJsonArray out;
    THtmlToken token;
    while (tokenizer.Next(token)) {
        switch (token.kind) {
            case TTokenKind::Character:
                out.append(QJsonArray{"Character", Text(token.data)});
                break;
            case TTokenKind::Comment:
                out.append(QJsonArray{"Comment", Text(token.data)});
                break;
            case TTokenKind::EndTag:
                out.append(QJsonArray{"EndTag", Text(token.data)});
                break;
            case TTokenKind::StartTag: {
                QJsonObject attributes;
                for (const auto& a : token.attributes)
                    attributes.insert(Text(a.name).toString(), Text(a.value));
                QJsonArray t{"StartTag", Text(token.data), attributes};
                if (token.selfClosing)
                    t.append(true);
                out.append(t);
                break;
            }
            case TTokenKind::Doctype:
                out.append(QJsonArray{
                    "DOCTYPE", token.data.empty() ? QJsonValue() : Text(token.data),
                    token.hasPublicId ? Text(token.publicId) : QJsonValue(),
                    token.hasSystemId ? Text(token.systemId) : QJsonValue(), !token.forceQuirks});
                break;
            case TTokenKind::EndOfFile:
                break;
        }
    }
    return MergeCharacters(out);
}

bool StateNamed(const QString& name, TTokenizerState& state) {
    static const std::pair<const char*, TTokenizerState> kStates[] = {
        {"Data state", TTokenizerState::Data},
        {"PLAINTEXT state", TTokenizerState::Plaintext},
        {"RCDATA state", TTokenizerState::Rcdata},
        {"RAWTEXT state", TTokenizerState::Rawtext},
        {"Script data state", TTokenizerState::ScriptData},
        {"CDATA section state", TTokenizerState::CdataSection}};
    for (const auto& [n, s] : kStates)
        if (name == QLatin1String(n)) {
            state = s;
            return true;
        }
    return false;
}

class HtmlTokenizerConformance : public ::testing::TestWithParam<const char*> {};

TEST_P(HtmlTokenizerConformance, TokenStreamsMatch) {
    QFile file(CasesDir() + QLatin1String(GetParam()) + QLatin1String(".test"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "html5lib tokenizer cases not found at " << file.fileName().toStdString();
    const QJsonArray cases =
        QJsonDocument::fromJson(file.readAll()).object().value("tests").toArray();
    ASSERT_FALSE(cases.isEmpty()) << "no cases in " << file.fileName().toStdString();

    int runs = 0;
    int failures = 0;
    for (const QJsonValue& value : cases) {
        const QJsonObject c = value.toObject();
        const bool doubleEscaped = c.value("doubleEscaped").toBool();
        const QString input =
            doubleEscaped ? Unescape(c.value("input").toString()) : c.value("input").toString();
        QJsonArray expected = c.value("output").toArray();
        if (doubleEscaped)
            expected = UnescapeAll(expected).toArray();
        expected = MergeCharacters(expected);
        QJsonArray states = c.value("initialStates").toArray();
        if (states.isEmpty())
            states.append("Data state");
        for (const QJsonValue& stateName : states) {
            ++runs;
            TTokenizerState state{};
            ASSERT_TRUE(StateNamed(stateName.toString(), state))
                << stateName.toString().toStdString();
            const QJsonArray actual = Tokenize(input, state, c.value("lastStartTag").toString());
            if (actual == expected)
                continue;
            ++failures;
            ADD_FAILURE()
                << c.value("description").toString().toStdString() << " ("
                << stateName.toString().toStdString() << ")\n  input:    "
                << QJsonDocument(QJsonArray{input}).toJson(QJsonDocument::Compact).toStdString()
                << "\n  expected: "
                << QJsonDocument(expected).toJson(QJsonDocument::Compact).toStdString()
                << "\n  actual:   "
                << QJsonDocument(actual).toJson(QJsonDocument::Compact).toStdString();
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
