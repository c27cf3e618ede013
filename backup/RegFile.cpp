// Writing .reg files as Windows XP's registry editor exports them: UTF-16 with
// a byte-order mark, values in blocks under their keys.
#include "backup/RegFile.h"

#include <array>
#include <utility>

namespace backup::regfile {

namespace {

// The editor breaks hex data once a line has reached this many characters,
// so that no line is longer than 80.
constexpr std::size_t kHexWrap = 77;

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

std::string Ascii(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
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

}  // namespace backup::regfile
