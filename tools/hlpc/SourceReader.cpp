#include "tools/hlpc/SourceReader.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "tools/hlpc/Cp1252.h"

namespace hlpc {

namespace {

// Spacing in half-points: a title stands apart, paragraphs get a gap around,
// list items hang their text to the right of the bullet.
constexpr ParagraphFormat kTitleFormat{0, 16, 0, 0};
constexpr ParagraphFormat kTextFormat{10, 6, 0, 0};
constexpr ParagraphFormat kItemFormat{0, 4, 24, -16};
constexpr char kBullet[] = "\x95 ";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string Hex(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

// Splits "word rest" at the first space.
std::pair<std::string_view, std::string_view> Split(std::string_view s) {
    auto space = s.find(' ');
    if (space == std::string_view::npos) return {s, {}};
    return {s.substr(0, space), Trim(s.substr(space + 1))};
}

std::optional<std::uint32_t> ParseNumber(std::string_view s) {
    if (s.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFULL) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

class Reader {
  public:
    void Line(int n, std::string_view raw);
    HelpProject Finish(int lastLine);

  private:
    void Directive(int n, std::string_view line);
    void Text(int n, std::string_view line);
    std::vector<TextRun> Inline(int n, std::string_view text);
    void EndParagraph();
    void EndTopic(int n);

    HelpProject project_;
    bool haveTitle_ = false;
    bool haveHelpTitle_ = false;
    std::optional<Paragraph> paragraph_;
};

void Reader::Line(int n, std::string_view raw) {
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (!raw.empty() && raw.front() == '#') return;
    std::string spaced(raw);
    for (char& c : spaced) {
        if (c == '\t') c = ' ';
    }
    Cp1252Result converted = Utf8ToCp1252(spaced);
    if (!converted.ok) {
        if (converted.badEncoding) throw CompileError(n, "the line is not valid UTF-8");
        throw CompileError(n, "character " + Hex(converted.bad) + " is not in code page 1252");
    }
    std::string_view line = Trim(converted.text);
    if (line.empty()) {
        EndParagraph();
    } else if (line.front() == '.') {
        Directive(n, line);
    } else {
        Text(n, line);
    }
}

void Reader::Directive(int n, std::string_view line) {
    auto [name, rest] = Split(line);
    if (name == ".help" || name == ".copyright") {
        if (!project_.topics.empty()) {
            throw CompileError(n, std::string(name) + " belongs before the first .topic");
        }
        if (name == ".help") {
            if (haveHelpTitle_) throw CompileError(n, ".help is given twice");
            haveHelpTitle_ = true;
            project_.title = std::string(rest);
            project_.titleLine = n;
        } else {
            project_.copyright = std::string(rest);
            project_.copyrightLine = n;
        }
    } else if (name == ".topic") {
        EndTopic(n);
        auto [context, more] = Split(rest);
        auto [number, extra] = Split(more);
        if (context.empty()) throw CompileError(n, ".topic needs a context name");
        if (!extra.empty()) {
            throw CompileError(n, "unexpected \"" + std::string(extra) + "\" after .topic");
        }
        Topic t;
        t.contextName = std::string(context);
        t.line = n;
        if (!number.empty()) {
            t.mapNumber = ParseNumber(number);
            if (!t.mapNumber) {
                throw CompileError(n, "context number \"" + std::string(number) +
                                          "\" is not a whole number from 0 to 4294967295");
            }
        }
        project_.topics.push_back(std::move(t));
        haveTitle_ = false;
    } else if (name == ".title") {
        if (project_.topics.empty()) throw CompileError(n, ".title before the first .topic");
        if (haveTitle_) throw CompileError(n, "the topic has a .title already");
        if (rest.empty()) throw CompileError(n, ".title needs a text");
        haveTitle_ = true;
        Topic& t = project_.topics.back();
        t.title = std::string(rest);
        t.titleLine = n;
        // The viewer shows no title of its own: the topic begins with it.
        Paragraph p;
        p.line = n;
        p.format = kTitleFormat;
        p.runs.push_back(TextRun{t.title, Font::Heading, {}, n});
        t.paragraphs.push_back(std::move(p));
    } else {
        throw CompileError(n, "unknown directive " + std::string(name));
    }
}

void Reader::Text(int n, std::string_view line) {
    if (project_.topics.empty()) throw CompileError(n, "text before the first .topic");
    if (!haveTitle_) throw CompileError(n, "text before the topic's .title");
    bool item = line.size() >= 2 && line[0] == '-' && line[1] == ' ';
    if (item) {
        EndParagraph();
        line = Trim(line.substr(2));
    }
    if (!paragraph_) {
        paragraph_.emplace();
        paragraph_->line = n;
        paragraph_->format = item ? kItemFormat : kTextFormat;
        if (item) paragraph_->runs.push_back(TextRun{kBullet, Font::Body, {}, n});
    } else {
        paragraph_->runs.push_back(TextRun{" ", Font::Body, {}, n});
    }
    for (TextRun& r : Inline(n, line)) paragraph_->runs.push_back(std::move(r));
}

// **bold** and {shown text|CONTEXT_NAME}; both close on the line they open.
std::vector<TextRun> Reader::Inline(int n, std::string_view text) {
    std::vector<TextRun> runs;
    Font font = Font::Body;
    std::string plain;
    auto flush = [&] {
        if (!plain.empty()) runs.push_back(TextRun{std::move(plain), font, {}, n});
        plain.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '*' && i + 1 < text.size() && text[i + 1] == '*') {
            flush();
            font = font == Font::Bold ? Font::Body : Font::Bold;
            ++i;
        } else if (c == '{') {
            auto close = text.find('}', i);
            auto bar = text.find('|', i);
            if (close == std::string_view::npos) throw CompileError(n, "a jump is not closed by }");
            if (bar == std::string_view::npos || bar > close) {
                throw CompileError(n, "a jump needs {shown text|CONTEXT_NAME}");
            }
            std::string_view shown = Trim(text.substr(i + 1, bar - i - 1));
            std::string_view target = Trim(text.substr(bar + 1, close - bar - 1));
            if (shown.empty()) throw CompileError(n, "a jump has no text to show");
            if (shown.find('{') != std::string_view::npos) {
                throw CompileError(n, "a jump is not closed by }");
            }
            if (target.empty()) throw CompileError(n, "a jump names no topic");
            flush();
            runs.push_back(TextRun{std::string(shown), font, std::string(target), n});
            i = close;
        } else if (c == '}' || c == '|') {
            throw CompileError(n, std::string("stray ") + c + " outside a jump");
        } else {
            plain += c;
        }
    }
    if (font == Font::Bold) throw CompileError(n, "** is not closed on this line");
    flush();
    return runs;
}

void Reader::EndParagraph() {
    if (!paragraph_) return;
    project_.topics.back().paragraphs.push_back(std::move(*paragraph_));
    paragraph_.reset();
}

void Reader::EndTopic(int n) {
    EndParagraph();
    if (!project_.topics.empty() && !haveTitle_) {
        const Topic& t = project_.topics.back();
        throw CompileError(
            n, "topic " + t.contextName + " (line " + std::to_string(t.line) + ") has no .title");
    }
}

HelpProject Reader::Finish(int lastLine) {
    EndTopic(lastLine);
    if (project_.topics.empty()) throw CompileError(lastLine, "the source has no .topic");
    return std::move(project_);
}

}  // namespace

HelpProject ReadSource(std::string_view source) {
    Reader reader;
    int n = 0;
    std::size_t start = 0;
    while (start < source.size()) {
        auto end = source.find('\n', start);
        if (end == std::string_view::npos) end = source.size();
        reader.Line(++n, source.substr(start, end - start));
        start = end + 1;
    }
    return reader.Finish(n);
}

}  // namespace hlpc
