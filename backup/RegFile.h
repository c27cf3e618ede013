// Registration files as Windows XP's registry editor exports and imports
// them ("Windows Registry Editor Version 5.00", UTF-16LE with a byte-order
// mark, CRLF lines). Backups, restores and settings profiles are such files,
// so that a double-click in Explorer does what Dovrane would do.
//
// Names and data are kept exact: key paths and value names as UTF-16, data as
// the bytes the wide-character registry calls store (string types as UTF-16LE
// with their terminator), and the value type as its number.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"

namespace backup::regfile {

// Roots a file may name besides the three of reg:: (read only, so that a file
// naming them is refused by the checks with its line rather than misread).
constexpr reg::Key kClassesRoot = 0x80000000;
constexpr reg::Key kCurrentConfig = 0x80000005;

constexpr std::uint32_t kRegQword = 11;  // the highest type the editor names

// The largest file the reader takes. A profile is about 2 KB and a backup
// holds the eight settings and at most 26 Run history entries, so 1 MiB is
// generous; /import and Restore refuse anything larger unread.
constexpr std::size_t kMaxFileSize = 1024 * 1024;

// The first line of every file, as the reader expects it and the writer puts it.
inline constexpr char16_t kSignature[] = u"Windows Registry Editor Version 5.00";

// The roots by the names a file gives them; the reader and the writer share them.
struct RootRow {
    reg::Key key;
    const char16_t* name;
};
inline constexpr std::array<RootRow, 5> kRoots = {{
    {kClassesRoot, u"HKEY_CLASSES_ROOT"},
    {reg::kCurrentUser, u"HKEY_CURRENT_USER"},
    {reg::kLocalMachine, u"HKEY_LOCAL_MACHINE"},
    {reg::kUsers, u"HKEY_USERS"},
    {kCurrentConfig, u"HKEY_CURRENT_CONFIG"},
}};

struct Entry {
    enum class Kind {
        kKey,          // [ROOT\path]: the key is opened, and created when missing
        kValue,        // "name"=data: the value is set to type and data
        kDeleteValue,  // "name"=-
        kRemoveKey,    // [-ROOT\path]: the key and everything under it go
        kComment,      // ;text (name holds the text; written only)
    };
    Kind kind = Kind::kValue;
    reg::Key root = reg::kNullKey;
    std::u16string path;  // below the root, without leading or trailing backslash
    std::u16string name;  // the value's name; empty: the key's default value (@)
    std::uint32_t type = reg::kRegNone;
    std::vector<std::uint8_t> data;
    int line = 0;  // where the reader found it (the first line of a continued one)

    static Entry Value(reg::Key root, std::u16string path, std::u16string name, std::uint32_t type,
                       std::vector<std::uint8_t> data);
    static Entry DeleteValue(reg::Key root, std::u16string path, std::u16string name);
    static Entry RemoveKey(reg::Key root, std::u16string path);
    static Entry Comment(std::u16string text);
};

bool operator==(const Entry& a, const Entry& b);  // ignores `line`

// The byte-order mark and the first line, followed by the blank line the
// editor leaves after it.
std::vector<std::uint8_t> FileHeader();
// Entries as the editor lays them out: a [key] line whenever the key changes,
// one line per value (hex data wrapped near 80 columns with "\"
// continuations), a blank line after each key's block. Appended after the
// header or after earlier blocks, the file stays one the editor imports.
std::vector<std::uint8_t> Blocks(const std::vector<Entry>& entries);
// False for an entry no line can hold: a key path or value name with a line
// break (the editor reads a file line by line), or a key path with an empty
// part. Such an entry is never written; callers refuse the change instead.
bool Writable(const Entry& entry);
// A whole file: FileHeader() + Blocks(entries).
std::vector<std::uint8_t> Write(const std::vector<Entry>& entries);

// How a value is written: REG_SZ as a quoted string when its data is a text
// the quoted form gives back exactly (UTF-16 code units, one terminating NUL,
// no other NUL, no line break), otherwise hex(1):; REG_DWORD of four bytes as
// dword:; REG_BINARY as hex:; any other type, REG_EXPAND_SZ and REG_MULTI_SZ
// included, as hex(N):.
std::u16string ValueLine(const Entry& entry);

struct ReadResult {
    bool ok = false;
    int errorLine = 0;           // 1-based; 0 when ok
    std::string error;           // why, in words, for the user
    std::vector<Entry> entries;  // every [key] header as kKey, then its values
};
// Reads a file in either format the registry editor reads: version 5.00 in
// UTF-16LE with its byte-order mark, or REGEDIT4 in the ANSI code page
// (Windows-1252, see reg::ansi, on every system: the file names no code
// page, and Dovrane's own files are all 5.00). Then the header, [key] and
// [-key] lines (older backups remove keys; none written now does), value lines that start
// with "name"= or @= (quoted strings with \\ and \" escapes, dword:, hex:,
// hex(N): with N any 32-bit type, so that every value the writer writes comes
// back, -), hex data (only) continued over lines ending in "\", blank lines
// and ; comments. Anything else, or a file over kMaxFileSize, refuses the
// whole file with its line. Time and memory are linear in the file's size.
ReadResult Read(const std::vector<std::uint8_t>& bytes);

// "HKEY_CURRENT_USER" and so on; empty for a handle that is no root.
std::u16string RootName(reg::Key root);
// Text helpers: UTF-16 from ASCII (the catalogue's names), ASCII from UTF-16
// for a message (a character outside ASCII shows as '?'), and the file's
// little-endian bytes of a text.
std::u16string FromAscii(const std::string& text);
std::string Ascii(const std::u16string& text);
std::vector<std::uint8_t> LittleEndian(const std::u16string& text);
// A REG_SZ's data for a text: its UTF-16LE code units and a NUL.
std::vector<std::uint8_t> SzData(const std::u16string& text);

}  // namespace backup::regfile
