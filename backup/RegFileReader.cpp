// Reading .reg files as the registry editor writes them: backups to restore and
// profiles to import.
#include "backup/RegFile.h"

#include <algorithm>
#include <array>
#include <utility>

#include "registry/AnsiCodePage.h"

namespace backup::regfile {

namespace {

// What a user can do about a file in another format (UTF-8, or no
// registration file at all): the two the registry editor reads.
constexpr const char* kUnreadable =
    "it is not a registration file Dovrane can read. Save it in Notepad with the encoding "
    "Unicode, or begin it with the line REGEDIT4";

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
        } else if (s[pos] != u'"' || !Quoted(s, pos, e.name)) {
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
        // REGEDIT4's texts in hex are in the code page, a byte a character;
        // the registry holds them as UTF-16, as version 5.00 writes them.
        if (ansi_ &&
            (e.type == reg::kRegSz || e.type == reg::kRegExpandSz || e.type == reg::kRegMultiSz))
            e.data = LittleEndian(
                reg::ansi::ToWide(reinterpret_cast<const char*>(e.data.data()), e.data.size()));
        return true;
    }

    void Run(const std::vector<std::uint8_t>& bytes) {
        result_ = ReadResult();
        if (bytes.size() > kMaxFileSize) {
            Fail(1, "the file is larger than 1 MiB, more than any backup or profile");
            return;
        }
        // The two formats the registry editor reads: version 5.00 in UTF-16
        // (what Notepad calls Unicode), and REGEDIT4 in the ANSI code page.
        std::u16string text;
        const bool unicode = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
        static constexpr char kRegedit4[] = "REGEDIT4";
        ansi_ = !unicode && bytes.size() >= sizeof kRegedit4 - 1 &&
                std::equal(kRegedit4, kRegedit4 + sizeof kRegedit4 - 1, bytes.begin());
        if (unicode) {
            if (bytes.size() % 2 != 0) {
                Fail(1, "the file ends in the middle of a character");
                return;
            }
            text.reserve(bytes.size() / 2);
            for (std::size_t i = 2; i < bytes.size(); i += 2)
                text += char16_t(bytes[i] | bytes[i + 1] << 8);
        } else if (ansi_) {
            text = reg::ansi::ToWide(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        } else {
            Fail(1, kUnreadable);
            return;
        }

        // One line at a time, each looked at once: a file at the size cap is
        // read in time and memory proportional to it, whatever its lines hold.
        std::size_t next = 0;
        int number = 0;
        auto take = [&](Line& l) {
            if (next > text.size()) return false;
            std::size_t end = text.find(u'\n', next);
            if (end == std::u16string::npos) end = text.size();
            std::size_t cut = end;
            if (cut > next && text[cut - 1] == u'\r') --cut;
            l.text.assign(text, next, cut - next);
            l.number = ++number;
            next = end + 1;
            return true;
        };
        Line l;
        take(l);
        if (ansi_ ? Trimmed(l.text) != u"REGEDIT4" : l.text != kSignature) {
            Fail(1, ansi_ ? kUnreadable
                          : "the first line is not \"Windows Registry Editor Version 5.00\"");
            return;
        }
        result_.ok = true;
        Line more;
        while (take(l)) {
            const std::u16string t = Trimmed(l.text);
            if (t.empty() || t[0] == u';') continue;
            if (t[0] == u'[') {
                if (!KeyLine(l)) return;
                continue;
            }
            if (t[0] != u'"' && t[0] != u'@')
                return (void)Fail(l.number, "a line must be a [key], a value or a ; comment");
            // Hex data goes on over lines that end in a backslash; the next
            // line's leading blanks are the editor's indent. Only hex data:
            // a backslash at the end of anything else is the line's own.
            if (IsHex(l.text)) {
                l.text = Trimmed(l.text);
                while (!l.text.empty() && l.text.back() == u'\\' && take(more)) {
                    l.text.pop_back();
                    const std::u16string piece = Trimmed(more.text);
                    l.text += piece;
                }
            }
            if (!ValueLine(l)) return;
        }
    }

    // Whether a value line's data is hex data: after the closing quote of
    // its name (or @) and the =, hex: or hex(.
    static bool IsHex(const std::u16string& s) {
        std::size_t pos = 0;
        while (pos < s.size() && Blank(s[pos])) ++pos;
        if (pos < s.size() && s[pos] == u'"') {
            for (++pos; pos < s.size() && s[pos] != u'"'; ++pos)
                if (s[pos] == u'\\') ++pos;
        }
        ++pos;  // the closing quote or @
        while (pos < s.size() && Blank(s[pos])) ++pos;
        if (pos >= s.size() || s[pos] != u'=') return false;
        ++pos;
        while (pos < s.size() && Blank(s[pos])) ++pos;
        return s.compare(pos, 4, u"hex:") == 0 || s.compare(pos, 4, u"hex(") == 0;
    }

  private:
    ReadResult& result_;
    Entry key_;          // the last [key] or [-key]; root null before the first
    bool ansi_ = false;  // REGEDIT4: the code page's bytes, not UTF-16
};

}  // namespace

ReadResult Read(const std::vector<std::uint8_t>& bytes) {
    ReadResult result;
    Reader(result).Run(bytes);
    return result;
}

}  // namespace backup::regfile
