#include "registry/RegFile.h"

#include <array>
#include <utility>

namespace regfile {

namespace {

constexpr char16_t kSignature[] = u"Windows Registry Editor Version 5.00";
// The editor breaks hex data once a line has reached this many characters,
// so that no line is longer than 80.
constexpr std::size_t kHexWrap = 77;

struct RootRow {
    reg::Key key;
    const char16_t* name;
};
constexpr std::array<RootRow, 5> kRoots = {{
    {kClassesRoot, u"HKEY_CLASSES_ROOT"},
    {reg::kCurrentUser, u"HKEY_CURRENT_USER"},
    {reg::kLocalMachine, u"HKEY_LOCAL_MACHINE"},
    {reg::kUsers, u"HKEY_USERS"},
    {kCurrentConfig, u"HKEY_CURRENT_CONFIG"},
}};

std::u16string Escaped(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    return out;
}

std::u16string KeyName(const Entry& e) {
    std::u16string name = RootName(e.root);
    if (!e.path.empty()) name += u"\\" + e.path;
    return name;
}

// The data read back as a quoted string gives exactly: code units, one NUL at
// the end and no other, no line break (a raw one would end the line).
bool QuotesExactly(const std::vector<std::uint8_t>& data) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        const char16_t c = char16_t(data[i] | data[i + 1] << 8);
        const bool last = i + 2 == data.size();
        if ((c == 0) != last || c == u'\r' || c == u'\n') return false;
    }
    return true;
}

const char16_t kHexDigits[] = u"0123456789abcdef";

std::u16string Hex(std::uint32_t n, int width) {
    std::u16string out;
    do {
        out.insert(out.begin(), kHexDigits[n & 0xF]);
        n >>= 4;
    } while (n != 0);
    while (out.size() < static_cast<std::size_t>(width)) out.insert(out.begin(), u'0');
    return out;
}

}  // namespace

Entry Entry::Value(reg::Key root, std::u16string path, std::u16string name, std::uint32_t type,
                   std::vector<std::uint8_t> data) {
    Entry e;
    e.kind = Kind::kValue;
    e.root = root;
    e.path = std::move(path);
    e.name = std::move(name);
    e.type = type;
    e.data = std::move(data);
    return e;
}

Entry Entry::DeleteValue(reg::Key root, std::u16string path, std::u16string name) {
    Entry e = Value(root, std::move(path), std::move(name), reg::kRegNone, {});
    e.kind = Kind::kDeleteValue;
    return e;
}

Entry Entry::RemoveKey(reg::Key root, std::u16string path) {
    Entry e = Value(root, std::move(path), {}, reg::kRegNone, {});
    e.kind = Kind::kRemoveKey;
    return e;
}

Entry Entry::Comment(std::u16string text) {
    Entry e;
    e.kind = Kind::kComment;
    e.name = std::move(text);
    return e;
}

bool operator==(const Entry& a, const Entry& b) {
    return a.kind == b.kind && a.root == b.root && a.path == b.path && a.name == b.name &&
           a.type == b.type && a.data == b.data;
}

std::u16string RootName(reg::Key root) {
    for (const RootRow& r : kRoots)
        if (r.key == root) return r.name;
    return std::u16string();
}

std::u16string FromAscii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::vector<std::uint8_t> LittleEndian(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(std::uint8_t(c & 0xFF));
        bytes.push_back(std::uint8_t(c >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> SzData(const std::u16string& text) {
    std::vector<std::uint8_t> data = LittleEndian(text);
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::u16string ValueLine(const Entry& e) {
    std::u16string line = e.name.empty() ? u"@" : u"\"" + Escaped(e.name) + u"\"";
    line += u'=';
    if (e.kind == Entry::Kind::kDeleteValue) return line + u'-';
    if (e.type == reg::kRegSz && QuotesExactly(e.data)) {
        std::u16string text;
        for (std::size_t i = 0; i + 2 < e.data.size(); i += 2)
            text += char16_t(e.data[i] | e.data[i + 1] << 8);
        return line + u'"' + Escaped(text) + u'"';
    }
    if (e.type == reg::kRegDword && e.data.size() == 4) {
        const std::uint32_t n = std::uint32_t(e.data[0]) | std::uint32_t(e.data[1]) << 8 |
                                std::uint32_t(e.data[2]) << 16 | std::uint32_t(e.data[3]) << 24;
        return line + u"dword:" + Hex(n, 8);
    }
    line += e.type == reg::kRegBinary ? u"hex:" : u"hex(" + Hex(e.type, 1) + u"):";
    // Wrapped as the editor wraps: the count starts with the name and type,
    // a continuation line starts with two spaces.
    std::size_t column = line.size();
    for (std::size_t i = 0; i < e.data.size(); ++i) {
        line += Hex(e.data[i], 2);
        if (i + 1 == e.data.size()) break;
        line += u',';
        column += 3;
        if (column >= kHexWrap) {
            line += u"\\\r\n  ";
            column = 2;
        }
    }
    return line;
}

bool Writable(const Entry& e) {
    auto breaks = [](const std::u16string& t) {
        return t.find_first_of(u"\r\n") != std::u16string::npos;
    };
    const std::u16string& p = e.path;
    const bool emptyPart = !p.empty() && (p.front() == u'\\' || p.back() == u'\\' ||
                                          p.find(u"\\\\") != std::u16string::npos);
    return !breaks(e.path) && !breaks(e.name) && !emptyPart;
}

std::vector<std::uint8_t> FileHeader() {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    const std::vector<std::uint8_t> first = LittleEndian(std::u16string(kSignature) + u"\r\n\r\n");
    bytes.insert(bytes.end(), first.begin(), first.end());
    return bytes;
}

std::vector<std::uint8_t> Blocks(const std::vector<Entry>& entries) {
    std::u16string text;
    const Entry* open = nullptr;  // the key whose block is being written
    auto close = [&] {
        if (open != nullptr) text += u"\r\n";
        open = nullptr;
    };
    for (const Entry& e : entries) {
        switch (e.kind) {
            case Entry::Kind::kComment:
                close();
                text += u";" + e.name + u"\r\n\r\n";
                break;
            case Entry::Kind::kRemoveKey:
                close();
                text += u"[-" + KeyName(e) + u"]\r\n\r\n";
                break;
            case Entry::Kind::kKey:
            case Entry::Kind::kValue:
            case Entry::Kind::kDeleteValue:
                if (e.kind == Entry::Kind::kKey || open == nullptr || open->root != e.root ||
                    open->path != e.path) {
                    close();
                    text += u"[" + KeyName(e) + u"]\r\n";
                    open = &e;
                }
                if (e.kind != Entry::Kind::kKey) text += ValueLine(e) + u"\r\n";
                break;
        }
    }
    close();
    return LittleEndian(text);
}

std::vector<std::uint8_t> Write(const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> bytes = FileHeader();
    const std::vector<std::uint8_t> blocks = Blocks(entries);
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    return bytes;
}

// ---- reading ----

namespace {

struct Line {
    std::u16string text;
    int number;
};

bool Blank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string Trimmed(const std::u16string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && Blank(s[b])) ++b;
    while (e > b && Blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Hex digits of at most `maxDigits`, the whole of `s`.
bool ParseHex(const std::u16string& s, std::size_t maxDigits, std::uint32_t& out) {
    if (s.empty() || s.size() > maxDigits) return false;
    out = 0;
    for (char16_t c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        out = out << 4 | std::uint32_t(d);
    }
    return true;
}

class Reader {
  public:
    explicit Reader(ReadResult& result) : result_(result) {}

    bool Fail(int line, std::string why) {
        result_.ok = false;
        result_.errorLine = line;
        result_.error = std::move(why);
        result_.entries.clear();
        return false;
    }

    // A quoted name or text from s[pos] (the opening quote); pos ends after
    // the closing quote.
    bool Quoted(const std::u16string& s, std::size_t& pos, std::u16string& out) {
        out.clear();
        for (++pos; pos < s.size(); ++pos) {
            char16_t c = s[pos];
            if (c == u'"') {
                ++pos;
                return true;
            }
            if (c == u'\\') {
                if (++pos == s.size()) return false;
                c = s[pos];
                if (c != u'\\' && c != u'"') return false;
            }
            out += c;
        }
        return false;
    }

    bool KeyLine(const Line& l) {
        const std::u16string s = Trimmed(l.text);
        if (s.size() < 3 || s.back() != u']') return Fail(l.number, "a key line must end with ]");
        const bool remove = s[1] == u'-';
        std::u16string name = s.substr(remove ? 2 : 1, s.size() - (remove ? 3 : 2));
        const std::size_t slash = name.find(u'\\');
        const std::u16string rootName = name.substr(0, slash);
        std::u16string path = slash == std::u16string::npos ? u"" : name.substr(slash + 1);
        while (!path.empty() && path.back() == u'\\') path.pop_back();
        Entry e;
        for (const RootRow& r : kRoots)
            if (rootName == r.name) e.root = r.key;
        if (e.root == reg::kNullKey) return Fail(l.number, "the key does not start with a root");
        if (path.find(u"\\\\") != std::u16string::npos || (!path.empty() && path[0] == u'\\'))
            return Fail(l.number, "the key's path has an empty part");
        e.kind = remove ? Entry::Kind::kRemoveKey : Entry::Kind::kKey;
        e.path = std::move(path);
        e.line = l.number;
        key_ = e;
        result_.entries.push_back(std::move(e));
        return true;
    }

    bool ValueLine(const Line& l) {
        const std::u16string& s = l.text;
        if (key_.kind != Entry::Kind::kKey)
            return Fail(l.number, key_.root == reg::kNullKey
                                      ? "a value comes before any key"
                                      : "a value follows the removal of its key");
        Entry e = key_;
        e.line = l.number;
        std::size_t pos = 0;
        while (pos < s.size() && Blank(s[pos])) ++pos;
        if (s[pos] == u'@') {
            ++pos;
        } else if (!Quoted(s, pos, e.name)) {
            return Fail(l.number, "the value's name is not a closed quoted text");
        }
        while (pos < s.size() && Blank(s[pos])) ++pos;
        if (pos == s.size() || s[pos] != u'=') return Fail(l.number, "= is missing after the name");
        const std::u16string data = Trimmed(s.substr(pos + 1));
        if (!Data(l.number, data, e)) return false;
        result_.entries.push_back(std::move(e));
        return true;
    }

    bool Data(int line, const std::u16string& s, Entry& e) {
        if (s == u"-") {
            e.kind = Entry::Kind::kDeleteValue;
            return true;
        }
        e.kind = Entry::Kind::kValue;
        if (!s.empty() && s[0] == u'"') {
            std::size_t pos = 0;
            std::u16string text;
            if (!Quoted(s, pos, text) || pos != s.size())
                return Fail(line, "the text is not a closed quoted text");
            e.type = reg::kRegSz;
            e.data = SzData(text);
            return true;
        }
        if (s.compare(0, 6, u"dword:") == 0) {
            std::uint32_t n = 0;
            if (!ParseHex(s.substr(6), 8, n)) return Fail(line, "dword: needs 1 to 8 hex digits");
            e.type = reg::kRegDword;
            e.data = {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16),
                      std::uint8_t(n >> 24)};
            return true;
        }
        std::size_t pos = 0;
        if (s.compare(0, 4, u"hex:") == 0) {
            e.type = reg::kRegBinary;
            pos = 4;
        } else if (s.compare(0, 4, u"hex(") == 0) {
            const std::size_t close = s.find(u"):");
            if (close == std::u16string::npos || !ParseHex(s.substr(4, close - 4), 8, e.type))
                return Fail(line, "hex( needs a type number in hex and ):");
            if (e.type > kRegQword) return Fail(line, "unknown value type");
            pos = close + 2;
        } else {
            return Fail(line, "unknown value type");
        }
        e.data.clear();
        const std::u16string bytes = s.substr(pos);
        std::size_t start = 0;
        if (Trimmed(bytes).empty()) return true;
        while (true) {
            const std::size_t comma = bytes.find(u',', start);
            const std::u16string part = Trimmed(bytes.substr(start, comma - start));
            std::uint32_t b = 0;
            if (comma == std::u16string::npos && part.empty() && start > 0) break;  // trailing ,
            if (!ParseHex(part, 2, b)) return Fail(line, "hex data must be bytes between commas");
            e.data.push_back(std::uint8_t(b));
            if (comma == std::u16string::npos) break;
            start = comma + 1;
        }
        return true;
    }

    void Run(const std::vector<std::uint8_t>& bytes) {
        result_ = ReadResult();
        if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) {
            Fail(1, "not a UTF-16 registration file (no byte-order mark)");
            return;
        }
        if (bytes.size() % 2 != 0) {
            Fail(1, "the file ends in the middle of a character");
            return;
        }
        std::vector<Line> lines;
        Line current{u"", 1};
        int number = 1;
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            const char16_t c = char16_t(bytes[i] | bytes[i + 1] << 8);
            if (c == u'\n') {
                if (!current.text.empty() && current.text.back() == u'\r') current.text.pop_back();
                lines.push_back(std::move(current));
                current = Line{u"", ++number};
            } else {
                current.text += c;
            }
        }
        if (!current.text.empty() && current.text.back() == u'\r') current.text.pop_back();
        lines.push_back(std::move(current));

        if (lines[0].text != kSignature) {
            Fail(1, "the first line is not \"Windows Registry Editor Version 5.00\"");
            return;
        }
        result_.ok = true;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            Line l = lines[i];
            // Hex data goes on over lines that end in a backslash; the next
            // line's leading blanks are the editor's indent.
            auto continued = [](const std::u16string& text) {
                const std::u16string t = Trimmed(text);
                return !t.empty() && t.back() == u'\\' && t[0] != u';' && t[0] != u'[' &&
                       t.find(u'=') != std::u16string::npos;
            };
            while (continued(l.text) && i + 1 < lines.size()) {
                l.text = Trimmed(l.text);
                l.text.pop_back();
                l.text += Trimmed(lines[++i].text);
            }
            const std::u16string t = Trimmed(l.text);
            if (t.empty() || t[0] == u';') continue;
            const bool ok = t[0] == u'[' ? KeyLine(l) : ValueLine(l);
            if (!ok) return;
        }
    }

  private:
    ReadResult& result_;
    Entry key_;  // the last [key] or [-key]; root null before the first
};

}  // namespace

ReadResult Read(const std::vector<std::uint8_t>& bytes) {
    ReadResult result;
    Reader(result).Run(bytes);
    return result;
}

}  // namespace regfile
