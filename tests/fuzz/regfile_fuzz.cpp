// libFuzzer target over registration files. Read: whatever a file holds,
// reading it never crashes; a refusal names a line of the file; a file that
// is taken comes out of the writer and back in as the same entries, so a
// backup written from what was read restores the same thing. The checks of
// what Dovrane manages run on every file read. Write (inputs starting with
// byte 1): entries of any type, name and data the writer accepts are read
// back exactly, so every backup Dovrane writes, Dovrane restores.
// tests/fuzz/regfile.options lets inputs grow to the size cap with a short
// time-out, so that time growing faster than the file shows as a time-out.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
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

std::u16string Text(FuzzedDataProvider& in) {
    const std::vector<std::uint8_t> bytes =
        in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 40));
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += char16_t(bytes[i] | bytes[i + 1] << 8);
    return text;
}

void WriteThenRead(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<backup::regfile::Entry> entries;
    const reg::Key roots[] = {reg::kCurrentUser, reg::kLocalMachine, reg::kUsers};
    while (in.remaining_bytes() > 0 && entries.size() < 64) {
        const reg::Key root = in.PickValueInArray(roots);
        const std::u16string path = Text(in), name = Text(in);
        backup::regfile::Entry e;
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0:
                e = backup::regfile::Entry::DeleteValue(root, path, name);
                break;
            case 1:
                if (path.empty()) continue;
                e = backup::regfile::Entry::RemoveKey(root, path);
                break;
            default:
                e = backup::regfile::Entry::Value(
                    root, path, name, in.ConsumeIntegral<std::uint32_t>(),
                    in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 300)));
        }
        if (backup::regfile::Writable(e)) entries.push_back(std::move(e));
    }
    const backup::regfile::ReadResult read = backup::regfile::Read(backup::regfile::Write(entries));
    Require(read.ok);
    std::vector<backup::regfile::Entry> back;
    for (const backup::regfile::Entry& e : read.entries)
        if (e.kind != backup::regfile::Entry::Kind::kKey) back.push_back(e);
    Require(back == entries);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0 && data[0] == 1) {
        WriteThenRead(data + 1, size - 1);
        return 0;
    }
    // Most inputs should get past the byte-order mark and the first line;
    // the header is room taken from the cap, so that the largest inputs are
    // still read.
    std::vector<std::uint8_t> bytes = backup::regfile::FileHeader();
    if (size > 0 && data[0] == 0) bytes.clear();
    size = std::min(size, backup::regfile::kMaxFileSize - bytes.size());
    bytes.insert(bytes.end(), data, data + size);

    const backup::regfile::ReadResult read = backup::regfile::Read(bytes);
    const backup::managed::CheckResult backup = backup::managed::CheckBackup(read, u"jo");
    const backup::managed::CheckResult profile = backup::managed::CheckProfile(read);
    if (!read.ok) {
        Require(read.errorLine >= 1 && static_cast<std::size_t>(read.errorLine) <= bytes.size());
        Require(read.entries.empty() && !read.error.empty());
        Require(!backup.ok && !profile.ok && backup.errorLine == read.errorLine);
        return 0;
    }
    // A profile holds less than a backup may.
    Require(!profile.ok || backup.ok);
    for (const backup::regfile::Entry& e : read.entries) Require(e.line >= 2);

    const backup::regfile::ReadResult again =
        backup::regfile::Read(backup::regfile::Write(read.entries));
    Require(again.ok);
    Require(again.entries == read.entries);
    return 0;
}
