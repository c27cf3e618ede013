// Registration files: the layout the registry editor exports, a round trip
// over every type and awkward names, and refusals with their line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "backup/RegFile.h"

namespace {

using backup::regfile::Entry;

std::vector<std::uint8_t> Utf16(const std::string& text, bool bom = true) {
    std::vector<std::uint8_t> bytes;
    if (bom) bytes = {0xFF, 0xFE};
    const std::vector<std::uint8_t> body =
        backup::regfile::LittleEndian(backup::regfile::FromAscii(text));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::string Ascii(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i + 1], 0);
        text += char(bytes[i]);
    }
    return text;
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first = 0) {
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = std::uint8_t(first + i);
    return data;
}

const std::u16string kPath = u"Software\\Test";

TEST(RegFileWrite, LaysOutEachTypeAsTheEditorExportsIt) {
    const std::vector<std::uint8_t> header = backup::regfile::FileHeader();
    ASSERT_EQ(header.size(), 2u + 2 * 40);
    EXPECT_EQ(header[0], 0xFF);
    EXPECT_EQ(header[1], 0xFE);

    const std::vector<Entry> entries = {
        Entry::Value(reg::kCurrentUser, kPath, u"Quote\"Back\\", reg::kRegSz,
                     backup::regfile::SzData(u"C:\\Program Files\\\"x\"")),
        Entry::Value(reg::kCurrentUser, kPath, u"", reg::kRegSz, backup::regfile::SzData(u"")),
        Entry::Value(reg::kCurrentUser, kPath, u"D", reg::kRegDword, {0x78, 0x56, 0x34, 0x12}),
        Entry::Value(reg::kCurrentUser, kPath, u"Exp", reg::kRegExpandSz,
                     backup::regfile::SzData(u"%a%")),
        Entry::Value(reg::kCurrentUser, kPath, u"Multi", reg::kRegMultiSz, {'a', 0, 0, 0, 0, 0}),
        // A NUL inside, no terminator, a line break: only hex keeps them.
        Entry::Value(reg::kCurrentUser, kPath, u"Nul", reg::kRegSz, {'a', 0, 0, 0, 'b', 0, 0, 0}),
        Entry::Value(reg::kCurrentUser, kPath, u"NoEnd", reg::kRegSz, {'a', 0}),
        Entry::Value(reg::kCurrentUser, kPath, u"Line", reg::kRegSz,
                     backup::regfile::SzData(u"a\nb")),
        Entry::Value(reg::kCurrentUser, kPath, u"Empty", reg::kRegSz, {}),
        Entry::Value(reg::kCurrentUser, kPath, u"Short", reg::kRegDword, {1, 2}),
        Entry::Value(reg::kCurrentUser, kPath, u"Q", backup::regfile::kRegQword, Bytes(8)),
        Entry::Value(reg::kCurrentUser, kPath, u"None", reg::kRegNone, {}),
        Entry::DeleteValue(reg::kCurrentUser, kPath, u"Gone"),
        Entry::RemoveKey(reg::kLocalMachine, u"SOFTWARE\\Made"),
        Entry::DeleteValue(reg::kUsers, u".Default\\K", u""),
    };
    EXPECT_EQ(Ascii(backup::regfile::Blocks(entries)),
              "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
              "\"Quote\\\"Back\\\\\"=\"C:\\\\Program Files\\\\\\\"x\\\"\"\r\n"
              "@=\"\"\r\n"
              "\"D\"=dword:12345678\r\n"
              "\"Exp\"=hex(2):25,00,61,00,25,00,00,00\r\n"
              "\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
              "\"Nul\"=hex(1):61,00,00,00,62,00,00,00\r\n"
              "\"NoEnd\"=hex(1):61,00\r\n"
              "\"Line\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
              "\"Empty\"=hex(1):\r\n"
              "\"Short\"=hex(4):01,02\r\n"
              "\"Q\"=hex(b):00,01,02,03,04,05,06,07\r\n"
              "\"None\"=hex(0):\r\n"
              "\"Gone\"=-\r\n"
              "\r\n"
              "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Made]\r\n"
              "\r\n"
              "[HKEY_USERS\\.Default\\K]\r\n"
              "@=-\r\n"
              "\r\n");
}

TEST(RegFileWrite, WrapsHexDataAsTheEditorDoes) {
    // 11 characters before the data: 22 bytes on the first line, 25 on each
    // continuation, every line at most 80 characters.
    const std::string line = Ascii(backup::regfile::LittleEndian(backup::regfile::ValueLine(
        Entry::Value(reg::kCurrentUser, kPath, u"Name", reg::kRegBinary, Bytes(60)))));
    std::string expected = "\"Name\"=hex:";
    for (int i = 0; i < 60; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", i);
        expected += hex;
        if (i == 59) break;
        expected += ',';
        if (i == 21 || i == 46) expected += "\\\r\n  ";
    }
    EXPECT_EQ(line, expected);
}

// Names and texts built from the characters that need care in the file.
std::u16string RandomText(std::mt19937& rng, bool allowBreaks, bool allowBackslash = true) {
    static const std::u16string pool = u"ab \"\\=@[];-,:\x00e9\x4e2d\xd83d\xde00";
    std::u16string text;
    const int n = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int i = 0; i < n; ++i)
        text += pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng)];
    // In a key path a backslash separates keys.
    if (!allowBackslash) text.erase(std::remove(text.begin(), text.end(), u'\\'), text.end());
    if (allowBreaks && rng() % 5 == 0) text += u'\n';
    return text;
}

TEST(RegFileRoundTrip, EveryTypeNameAndDataComesBackExactly) {
    std::mt19937 rng(12345);
    const reg::Key roots[] = {reg::kCurrentUser, reg::kLocalMachine, reg::kUsers};
    for (int round = 0; round < 200; ++round) {
        std::vector<Entry> entries;
        const int n = std::uniform_int_distribution<int>(1, 8)(rng);
        for (int i = 0; i < n; ++i) {
            const reg::Key root = roots[rng() % 3];
            const std::u16string path =
                rng() % 4 == 0 ? u"" : u"Soft\\K" + RandomText(rng, false, false);
            const std::u16string name = RandomText(rng, false);
            switch (rng() % 6) {
                case 0:
                    entries.push_back(Entry::DeleteValue(root, path, name));
                    break;
                case 1:
                    entries.push_back(
                        Entry::RemoveKey(root, u"Soft\\R" + RandomText(rng, false, false)));
                    break;
                case 2:
                    entries.push_back(Entry::Value(root, path, name, reg::kRegSz,
                                                   backup::regfile::SzData(RandomText(rng, true))));
                    break;
                default: {
                    // Any type the registry holds, not only those the editor names.
                    const std::uint32_t type = rng() % 2 ? rng() % 12 : std::uint32_t(rng());
                    entries.push_back(Entry::Value(root, path, name, type,
                                                   Bytes(rng() % 90, std::uint8_t(rng()))));
                }
            }
        }
        const backup::regfile::ReadResult read =
            backup::regfile::Read(backup::regfile::Write(entries));
        ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
        std::vector<Entry> values;
        for (const Entry& e : read.entries)
            if (e.kind != Entry::Kind::kKey) values.push_back(e);
        ASSERT_EQ(values, entries) << "round " << round;
    }
}

TEST(RegFileRead, TakesWhatTheEditorExports) {
    const backup::regfile::ReadResult read =
        backup::regfile::Read(Utf16("Windows Registry Editor Version 5.00\r\n"
                                    "\r\n"
                                    "; exported by hand\r\n"
                                    "[HKEY_CURRENT_USER\\Software\\Test\\]\r\n"
                                    "\"Bin\"=hex:00,01,\\\r\n"
                                    "  FF,\\\r\n"
                                    "\r\n"  // a blank line ends nothing the editor would care about
                                    "   \"Multi\" = hex(7):61,00,00,00,00,00\r\n"
                                    "@=dword:1\n"
                                    "\r\n"
                                    "[-HKEY_USERS\\.Default\\Gone]\r\n"));
    ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
    ASSERT_EQ(read.entries.size(), 5u);
    EXPECT_EQ(read.entries[0].kind, Entry::Kind::kKey);
    EXPECT_EQ(read.entries[0].path, kPath);
    EXPECT_EQ(read.entries[1],
              Entry::Value(reg::kCurrentUser, kPath, u"Bin", reg::kRegBinary, {0x00, 0x01, 0xFF}));
    EXPECT_EQ(read.entries[1].line, 5);
    EXPECT_EQ(read.entries[2].type, reg::kRegMultiSz);
    EXPECT_EQ(read.entries[2].line, 8);
    EXPECT_EQ(read.entries[3],
              Entry::Value(reg::kCurrentUser, kPath, u"", reg::kRegDword, {1, 0, 0, 0}));
    EXPECT_EQ(read.entries[4], Entry::RemoveKey(reg::kUsers, u".Default\\Gone"));
}

TEST(RegFileRead, RefusesTheWholeFileWithTheLineOfTheFault) {
    const std::string head =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n";
    const struct {
        std::string body;
        int line;
    } cases[] = {
        {"\"a\"=hex(100000000):00\r\n", 4},             // a type of more than 32 bits
        {"\"a\"=str:x\r\n", 4},                         // no such form
        {"\"a\"=dword:123456789\r\n", 4},               // nine digits
        {"\"a\"=hex:0g\r\n", 4},                        // not hex
        {"\"a\"=hex:00,,01\r\n", 4},                    // an empty byte
        {"\r\n\"a\"=hex:00,\\\r\n  zz\r\n", 5},         // a continued line: its first line
        {"\"a=1\r\n", 4},                               // the name is never closed
        {"\"a\"=\"x\\y\"\r\n", 4},                      // an escape the editor does not write
        {"\"a\"\r\n", 4},                               // no =
        {"[HKEY_NOWHERE\\S]\r\n", 4},                   // no such root
        {"[HKEY_CURRENT_USER\\S\r\n", 4},               // no ]
        {"[-HKEY_CURRENT_USER\\S]\r\n\"a\"=-\r\n", 5},  // a value of a removed key
        // A value line starts with " or @, nothing else.
        {"X\"a\"=dword:1\r\n", 4},
        {"a=dword:1\r\n", 4},
        {"\r\nNoLowDiskSpaceChecks\"=dword:1\r\n", 5},
        // Only hex data goes on over a backslash: not a quoted text, not dword:.
        {"\"a\"=\"x\\\r\ny\"\r\n", 4},
        {"\"a\"=dword:\\\r\n1\r\n", 4},
    };
    for (const auto& c : cases) {
        const backup::regfile::ReadResult read = backup::regfile::Read(Utf16(head + c.body));
        EXPECT_FALSE(read.ok) << c.body;
        EXPECT_EQ(read.errorLine, c.line) << c.body;
        EXPECT_FALSE(read.error.empty());
        EXPECT_TRUE(read.entries.empty());
    }
    EXPECT_EQ(backup::regfile::Read(Utf16("\"a\"=-\r\n", true)).errorLine, 1);  // no header
    EXPECT_EQ(backup::regfile::Read(Utf16("Windows Registry Editor Version 5.00\r\n\"a\"=-\r\n"))
                  .errorLine,
              2);  // a value before any key
    std::vector<std::uint8_t> odd = backup::regfile::FileHeader();
    odd.push_back('x');
    EXPECT_FALSE(backup::regfile::Read(odd).ok);
}

// What the registry editor reads besides its own exports: REGEDIT4 in the
// code page (a Notepad file saved as ANSI). Anything else is refused with
// what to do about it, never in the words of encodings.
TEST(RegFileRead, Regedit4InTheCodePageIsReadAndOtherEncodingsAreRefusedWithAdvice) {
    const auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    const backup::regfile::ReadResult read = backup::regfile::Read(
        bytes("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xe9]\r\n"
              "\"Na\x80me\"=\"\xe9t\xe9\"\r\n\"e\"=hex(2):25,e9,00\r\n\"d\"=dword:1\r\n"
              "\"gone\"=-\r\n"));
    ASSERT_TRUE(read.ok) << read.errorLine << ": " << read.error;
    ASSERT_EQ(read.entries.size(), 5u);
    EXPECT_EQ(read.entries[0].path, u"Caf\u00e9");
    EXPECT_EQ(read.entries[1],
              Entry::Value(reg::kCurrentUser, u"Caf\u00e9", u"Na\u20acme", reg::kRegSz,
                           backup::regfile::SzData(u"\u00e9t\u00e9")));
    // Texts in hex are the code page's bytes too: held as UTF-16, as 5.00 has them.
    EXPECT_EQ(read.entries[2].data, backup::regfile::SzData(u"%\u00e9"));
    EXPECT_EQ(read.entries[3].data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(read.entries[4].kind, Entry::Kind::kDeleteValue);

    const std::string advice =
        "Save it in Notepad with the encoding Unicode, or begin it with "
        "the line REGEDIT4";
    const std::vector<std::uint8_t> refused[] = {
        bytes("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"),  // UTF-8
        bytes("Windows Registry Editor Version 5.00\r\n"),              // ANSI, 5.00's line
        Utf16("REGEDIT4\r\n", false),                                   // UTF-16 without its mark
        bytes("REGEDIT40\r\n"),
        bytes(""),
    };
    for (const auto& file : refused) {
        const backup::regfile::ReadResult r = backup::regfile::Read(file);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.errorLine, 1);
        EXPECT_NE(r.error.find(advice), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find("byte-order"), std::string::npos);
    }
}

// Files at the size cap that a reader joining or splitting lines by copying
// would take minutes (or gigabytes) over (bench/regfile.sh measures them, and
// the fuzz target's time-out catches such growth); one byte more is refused
// unread.
TEST(RegFileRead, HostileFilesAtTheCapAreRead) {
    std::string continued = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\S]\r\n";
    continued += "\"a\"=hex:00,\\\r\n";
    while ((continued.size() + 8) * 2 + 2 + 12 <= backup::regfile::kMaxFileSize)
        continued += "  00,\\\r\n";
    const std::vector<std::uint8_t> feeds =
        Utf16("Windows Registry Editor Version 5.00" +
              std::string((backup::regfile::kMaxFileSize - 2) / 2 - 36, '\n'));
    ASSERT_EQ(feeds.size(), backup::regfile::kMaxFileSize);
    const backup::regfile::ReadResult read = backup::regfile::Read(Utf16(continued + "  00\r\n"));
    EXPECT_TRUE(read.ok) << read.errorLine << ": " << read.error;
    EXPECT_TRUE(backup::regfile::Read(feeds).ok);

    std::vector<std::uint8_t> over = feeds;
    over.insert(over.end(), {'\n', 0});
    const backup::regfile::ReadResult refused = backup::regfile::Read(over);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.errorLine, 1);
}

}  // namespace
