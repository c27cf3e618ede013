// libFuzzer target over the registration-file reader: whatever a file holds,
// reading it never crashes; a refusal names a line of the file; a file that
// is taken comes out of the writer and back in as the same entries, so a
// backup written from what was read restores the same thing. The checks of
// what Dovrane manages run on every file read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "backup/Managed.h"
#include "backup/RegFile.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most inputs should get past the byte-order mark and the first line.
    std::vector<std::uint8_t> bytes = regfile::FileHeader();
    if (size > 0 && data[0] == 0) bytes.clear();
    bytes.insert(bytes.end(), data, data + size);

    const regfile::ReadResult read = regfile::Read(bytes);
    const managed::CheckResult backup = managed::CheckBackup(read, u"jo");
    const managed::CheckResult profile = managed::CheckProfile(read);
    if (!read.ok) {
        Require(read.errorLine >= 1 && static_cast<std::size_t>(read.errorLine) <= bytes.size());
        Require(read.entries.empty() && !read.error.empty());
        Require(!backup.ok && !profile.ok && backup.errorLine == read.errorLine);
        return 0;
    }
    // A profile holds less than a backup may.
    Require(!profile.ok || backup.ok);
    for (const regfile::Entry& e : read.entries) Require(e.line >= 2);

    const regfile::ReadResult again = regfile::Read(regfile::Write(read.entries));
    Require(again.ok);
    Require(again.entries == read.entries);
    return 0;
}
