// How long reading, checking and applying a registration file takes, for the
// files that would show time or memory growing faster than the file: one
// value continued over as many "\" lines as the size cap allows, the cap
// filled with bare line feeds, and a restore of 20,000 Run history values
// through the backed-up registry against the in-memory one. It measures and
// asserts nothing; bench/regfile.sh builds and runs it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "backup/Managed.h"
#include "backup/RegFile.h"
#include "backup/Restore.h"
#include "registry/MemoryRegistry.h"
#include "settings/RunHistory.h"
#include "support/MemoryFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> File(const std::u16string& body, std::size_t cap) {
    std::vector<std::uint8_t> bytes = backup::regfile::FileHeader();
    const std::vector<std::uint8_t> rest = backup::regfile::LittleEndian(body);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    if (bytes.size() > cap) bytes.resize(cap & ~std::size_t(1));
    return bytes;
}

// Reads and checks as Restore and /import do; prints the time and outcome.
void ReadAndCheck(const char* what, const std::vector<std::uint8_t>& bytes) {
    const Clock::time_point start = Clock::now();
    const backup::regfile::ReadResult read = backup::regfile::Read(bytes);
    const backup::managed::CheckResult backup = backup::managed::CheckBackup(read, u"jo");
    const backup::managed::CheckResult profile = backup::managed::CheckProfile(read);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-44s %8zu bytes  %10.1f ms  %s%s\n", what, bytes.size(), ms,
                read.ok ? "read" : "refused: ", read.ok ? "" : read.error.c_str());
    (void)backup;
    (void)profile;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t cap = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024 * 1024;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 20000;
    const std::u16string key =
        u"[HKEY_CURRENT_USER\\" + std::u16string(settings::runhistory::kRunMruPath) + u"]\r\n";

    // One value, its data continued over line after line ("00,\").
    std::u16string continued = key + u"\"a\"=hex:00,\\\r\n";
    while (continued.size() * 2 < cap) continued += u"  00,\\\r\n";
    ReadAndCheck("one value over many \\ lines", File(continued, cap));

    // The same with nothing but the backslash on each line.
    std::u16string bare = key + u"\"a\"=hex:00,\\\r\n";
    while (bare.size() * 2 < cap) bare += u"\\\r\n";
    ReadAndCheck("one value over bare \\ lines", File(bare, cap));

    ReadAndCheck("bare line feeds", File(std::u16string(cap / 2, u'\n'), cap));

    // A backup of `entries` Run history values, restored over the registry
    // that holds other data for each.
    std::vector<backup::regfile::Entry> values;
    reg::MemoryRegistry registry;
    for (int i = 0; i < entries; ++i) {
        const std::u16string name = u"v" + backup::regfile::FromAscii(std::to_string(i));
        values.push_back(
            backup::regfile::Entry::Value(reg::kCurrentUser, settings::runhistory::kRunMruPath,
                                          name, reg::kRegSz, backup::regfile::SzData(u"cmd\\1")));
        registry.PutW(reg::kCurrentUser, settings::runhistory::kRunMruPath, name, reg::kRegSz,
                      backup::regfile::SzData(u"other\\1"));
    }
    const std::vector<std::uint8_t> file = backup::regfile::Write(values);
    ReadAndCheck("restore: read and check the backup", file);

    // The floor: the same entries straight into a registry holding the
    // same, without backups (the in-memory registry looks values up one by
    // one, so this floor itself grows faster than the count).
    {
        reg::MemoryRegistry plain;
        for (const backup::regfile::Entry& e : values)
            plain.PutW(e.root, e.path, e.name, reg::kRegSz, backup::regfile::SzData(u"other\\1"));
        const Clock::time_point floor = Clock::now();
        for (const backup::regfile::Entry& e : values)
            backup::Apply(plain, e, backup::ApplyContext{});
        const double floorMs =
            std::chrono::duration<double, std::milli>(Clock::now() - floor).count();
        std::printf("%-44s %8d values %10.1f ms\n", "floor: the same without the backup", entries,
                    floorMs);
    }

    // Backup files held in memory: the bench measures the registry's side.
    testing_doubles::MemoryFiles files;
    backup::BackupFile backupFile(
        files, [] { return backup::LocalTime{2026, 1, 2, 3, 4, 5}; }, u"C:\\b");
    backup::UndoStack undo;
    backup::BackedUpRegistry backed(registry, backupFile, &undo);
    Clock::time_point start = Clock::now();
    const backup::ApplyReport report =
        backup::ApplyAll(backed, undo, backup::regfile::Read(file).entries, backup::ApplyContext{});
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-44s %8d values %10.1f ms  %s\n", "restore: apply through the backup", entries,
                ms, report.complete() ? "complete" : "incomplete");

    start = Clock::now();
    const backup::ApplyReport undone = backup::Undo(backed, undo, backup::ApplyContext{});
    ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-44s %8d values %10.1f ms  %s\n", "undo of the restore", entries, ms,
                undone.complete() ? "complete" : "incomplete");
    return 0;
}
