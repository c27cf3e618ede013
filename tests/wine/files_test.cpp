// The program's files on a real file system under Wine: what FilesWin32
// promises beyond what the stand-in in memory can show. An append that fails
// leaves the file as it was, a replacement leaves no temporary file behind,
// Remove touches neither a folder nor a file its 8.3 alias names, and a read
// over its limit reads nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/FilesWin32.h"
#include "win32/Handles.h"
#include "win32/Utf16.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Removes a folder with everything in it.
void RemoveTree(const std::u16string& folder) {
    WIN32_FIND_DATAW found;
    const win32::Find search(FindFirstFileW(win32::Wide(folder + u"\\*"), &found));
    if (search) {
        do {
            const std::u16string name = win32::FromWide(found.cFileName, lstrlenW(found.cFileName));
            if (name == u"." || name == u"..") continue;
            const std::u16string path = folder + u"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(win32::Wide(path));
        } while (FindNextFileW(search.get(), &found));
    }
    RemoveDirectoryW(win32::Wide(folder));
}

// A folder of the test's own under %TEMP%, removed with its files after.
class FilesWin32Test : public ::testing::Test {
  protected:
    FilesWin32Test() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = win32::FromWide(temp, lstrlenW(temp)) + u"dovrane-files-";
        for (char c : std::to_string(GetCurrentProcessId())) folder_ += char16_t(c);
        RemoveTree(folder_);
        CreateDirectoryW(win32::Wide(folder_), nullptr);
    }
    ~FilesWin32Test() override { RemoveTree(folder_); }

    std::u16string At(const std::u16string& name) const { return folder_ + u"\\" + name; }
    // What the folder holds, by name.
    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW found;
        const win32::Find search(FindFirstFileW(win32::Wide(folder_ + u"\\*"), &found));
        if (!search) return names;
        do {
            const std::u16string name = win32::FromWide(found.cFileName, lstrlenW(found.cFileName));
            if (name != u"." && name != u"..") names.push_back(name);
        } while (FindNextFileW(search.get(), &found));
        return names;
    }
    std::string Read(const std::u16string& name) {
        Bytes bytes;
        EXPECT_EQ(files.ReadAll(At(name), bytes, 1024), files::kOk);
        return std::string(bytes.begin(), bytes.end());
    }

    files::FilesWin32 files;

  private:
    std::u16string folder_;
};

TEST_F(FilesWin32Test, AppendAddsToAFileThatIsThereOrLeavesItAsItWas) {
    EXPECT_EQ(files.CreateNew(At(u"list.txt"), B("a\r\n")), files::kOk);
    EXPECT_EQ(files.CreateNew(At(u"list.txt"), B("other")), files::kFileExists);
    EXPECT_EQ(files.Append(At(u"list.txt"), B("b\r\n")), files::kOk);
    EXPECT_EQ(Read(u"list.txt"), "a\r\nb\r\n");
    // No bytes: whether it is still there. Nothing is made by an append.
    EXPECT_EQ(files.Append(At(u"list.txt"), {}), files::kOk);
    EXPECT_EQ(files.Append(At(u"gone.txt"), {}), files::kFileNotFound);
    EXPECT_EQ(files.Append(At(u"gone.txt"), B("c\r\n")), files::kFileNotFound);
    EXPECT_FALSE(files.Exists(At(u"gone.txt")));

    // Another program holds the bytes past the end locked: the write fails,
    // and the file keeps exactly what it held.
    win32::File other(CreateFileW(win32::Wide(At(u"list.txt")), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    ASSERT_TRUE(LockFile(other.get(), 8, 0, 64, 0));
    EXPECT_NE(files.Append(At(u"list.txt"), B("a name cut short\r\n")), files::kOk);
    UnlockFile(other.get(), 8, 0, 64, 0);
    other.reset();
    EXPECT_EQ(Read(u"list.txt"), "a\r\nb\r\n");
}

TEST_F(FilesWin32Test, ReplaceWholeLeavesTheOldFileOrTheWholeNewOneAndNoTemporary) {
    EXPECT_EQ(files.ReplaceWhole(At(u"banner.gif"), B("a longer first picture")), files::kOk);
    // A file of the first temporary's name is not ours: it stays as it is.
    ASSERT_EQ(files.CreateNew(At(u"banner.gif.~01"), B("the user's")), files::kOk);
    EXPECT_EQ(files.ReplaceWhole(At(u"banner.gif"), B("second")), files::kOk);
    EXPECT_EQ(Read(u"banner.gif"), "second");  // no tail of the longer one
    EXPECT_EQ(Read(u"banner.gif.~01"), "the user's");
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"banner.gif", u"banner.gif.~01"}));

    // A folder cannot be replaced by a file: it stays, and nothing is left.
    ASSERT_EQ(files.CreateFolders(At(u"taken\\inner")), files::kOk);
    EXPECT_NE(files.ReplaceWhole(At(u"taken"), B("picture")), files::kOk);
    EXPECT_TRUE(files.IsFolder(At(u"taken")));
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"banner.gif", u"banner.gif.~01", u"taken"}));
}

TEST_F(FilesWin32Test, RemoveDeletesOnlyTheFileOfExactlyThatName) {
    EXPECT_EQ(files.Remove(At(u"never.gif")), files::kOk);
    ASSERT_EQ(files.CreateFolders(At(u"folder.gif")), files::kOk);
    EXPECT_EQ(files.Remove(At(u"folder.gif")), files::kAccessDenied);
    EXPECT_TRUE(files.IsFolder(At(u"folder.gif")));

    // A long name answers to its 8.3 alias too; a delete by the alias is not
    // a delete of that name.
    ASSERT_EQ(files.CreateNew(At(u"a-long-banner-name.gif"), B("the user's")), files::kOk);
    std::vector<wchar_t> alias(MAX_PATH);
    const DWORD n =
        GetShortPathNameW(win32::Wide(At(u"a-long-banner-name.gif")), alias.data(), MAX_PATH);
    ASSERT_GT(n, 0u);
    const std::u16string shortPath = win32::FromWide(alias.data(), n);
    ASSERT_NE(shortPath, At(u"a-long-banner-name.gif"));
    EXPECT_EQ(files.Remove(shortPath), files::kFileExists);
    EXPECT_EQ(Read(u"a-long-banner-name.gif"), "the user's");

    EXPECT_EQ(files.Remove(At(u"A-LONG-BANNER-NAME.GIF")), files::kOk);
    EXPECT_FALSE(files.Exists(At(u"a-long-banner-name.gif")));
}

TEST_F(FilesWin32Test, ReadAllReadsNothingOverItsLimitAndNamesWhatIsMissing) {
    ASSERT_EQ(files.CreateNew(At(u"ten.txt"), B("0123456789")), files::kOk);
    Bytes bytes = B("kept");
    EXPECT_EQ(files.ReadAll(At(u"ten.txt"), bytes, 9), files::kFileTooLarge);
    EXPECT_EQ(bytes, B("kept"));
    EXPECT_EQ(files.ReadAll(At(u"ten.txt"), bytes, 10), files::kOk);
    EXPECT_EQ(bytes, B("0123456789"));
    EXPECT_EQ(files.ReadAll(At(u"none.txt"), bytes, 10), files::kFileNotFound);
    EXPECT_EQ(files.ReadAll(At(u"none\\none.txt"), bytes, 10), files::kPathNotFound);
    // Folders above are made as needed, and one that is there is no error;
    // a file in the way is.
    EXPECT_EQ(files.CreateFolders(At(u"a\\b\\c")), files::kOk);
    EXPECT_EQ(files.CreateFolders(At(u"a\\b\\c")), files::kOk);
    EXPECT_TRUE(files.IsFolder(At(u"a\\b\\c")));
    EXPECT_NE(files.CreateFolders(At(u"ten.txt\\d")), files::kOk);
    EXPECT_FALSE(files.IsFolder(At(u"ten.txt")));
}

}  // namespace
