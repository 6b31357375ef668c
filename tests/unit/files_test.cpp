// The system's side of the file seam against real files in a temporary folder: each call does what it says,
// and a failed one leaves behind only what its contract allows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/unit/failing_files.h"
#include "util/files.h"

namespace {

using Strings = std::vector<std::string>;

class FileSeam : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return temp.path() + "\\" + name; }

    TempFolder temp;
    SystemFiles files;
};

}  // namespace

TEST_F(FileSeam, WritesWholeAndReadsBackWithinALimit) {
    std::string path = Path("report.html");
    std::string bytes = "stale";
    EXPECT_FALSE(files.Exists(path));
    EXPECT_EQ(files.ReadWhole(path, 100, &bytes), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(bytes, "");

    std::string page(300000, 'p');
    page[1] = '\0';
    ASSERT_EQ(files.WriteWhole(path, page, Existing::kReplace), 0u);
    EXPECT_TRUE(files.Exists(path));
    EXPECT_EQ(Names(temp.path()), Strings{"report.html"}) << "no temporary file left";
    ASSERT_EQ(files.ReadWhole(path, page.size(), &bytes), 0u);
    EXPECT_EQ(bytes, page);
    ASSERT_EQ(files.WriteWhole(path, "short", Existing::kReplace), 0u);
    ASSERT_EQ(files.ReadWhole(path, 5, &bytes), 0u);
    EXPECT_EQ(bytes, "short");
    EXPECT_EQ(files.ReadWhole(path, 4, &bytes), static_cast<uint32_t>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(files.Exists(temp.path())) << "a folder is no file";

    // Folders are made by whoever keeps files in them, not on the way by a write.
    EXPECT_NE(files.WriteWhole(Path("missing\\report.html"), "page", Existing::kReplace), 0u);
    EXPECT_FALSE(Exists(Path("missing")));
}

TEST_F(FileSeam, AFileKeptWhereItIsFailsTheWriteAndStaysWhole) {
    std::string path = Path("2026-12-09_04-12-33.csv");
    ASSERT_EQ(files.WriteWhole(path, "first", Existing::kKeep), 0u);
    EXPECT_EQ(files.WriteWhole(path, "second", Existing::kKeep), static_cast<uint32_t>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadWhole(path), "first");
    EXPECT_EQ(Names(temp.path()), Strings{"2026-12-09_04-12-33.csv"}) << "no temporary file left";
    ASSERT_EQ(files.WriteWhole(path, "second", Existing::kReplace), 0u);
    EXPECT_EQ(ReadWhole(path), "second");
}

TEST_F(FileSeam, AWriteThatCannotTakeThePlaceLeavesTheOldFileAndNoTemporary) {
    std::string path = Path("report.html");
    ASSERT_EQ(files.WriteWhole(path, "old", Existing::kReplace), 0u);
    // A folder of that name cannot be replaced by a file.
    std::string folder = Path("folder.html");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_NE(files.WriteWhole(folder, "new", Existing::kReplace), 0u);
    EXPECT_TRUE(Exists(folder));
    // Where the temporary file cannot be made, nothing is written.
    std::string blocked = Path("report." + std::to_string(::GetCurrentProcessId()) + ".tmp");
    ASSERT_TRUE(::CreateDirectoryA(blocked.c_str(), nullptr));
    EXPECT_NE(files.WriteWhole(path, "new", Existing::kReplace), 0u);
    EXPECT_EQ(ReadWhole(path), "old");
    ::RemoveDirectoryA(blocked.c_str());
    EXPECT_EQ(Names(temp.path()), Strings{"report.html"}) << "no temporary file left";
}

TEST_F(FileSeam, RowsFollowTheHeadAndATornRowGetsALineOfItsOwn) {
    std::string path = Path("history.csv");
    ASSERT_EQ(files.AppendRow(path, "head\r\n", "a\r\n"), 0u);
    ASSERT_EQ(files.AppendRow(path, "head\r\n", "b\r\n"), 0u);
    EXPECT_EQ(ReadWhole(path), "head\r\na\r\nb\r\n");
    WriteRaw(path, "head\r\na\r\nb,to");  // the power went mid-row
    ASSERT_EQ(files.AppendRow(path, "head\r\n", "c\r\n"), 0u);
    EXPECT_EQ(ReadWhole(path), "head\r\na\r\nb,to\r\nc\r\n");
    EXPECT_EQ(AppendedText(0, 'x', "head\r\n", "a\r\n"), "head\r\na\r\n");
    EXPECT_EQ(AppendedText(3, '\n', "head\r\n", "a\r\n"), "a\r\n");
    EXPECT_EQ(AppendedText(3, '\r', "head\r\n", "a\r\n"), "\r\na\r\n");
}

TEST_F(FileSeam, FoldersAreMadeOnceListedByPatternAndFilesRemoved) {
    std::string folder = Path("timelines");
    ASSERT_EQ(files.MakeFolder(folder), 0u);
    EXPECT_EQ(files.MakeFolder(folder), 0u) << "a folder already there";
    EXPECT_NE(files.MakeFolder(Path("a\\b")), 0u) << "its parent is missing";
    EXPECT_FALSE(Exists(Path("a")));
    WriteRaw(Path("file"), "");
    EXPECT_NE(files.MakeFolder(Path("file")), 0u) << "a file is no folder";

    Strings names = {"stale"};
    ASSERT_EQ(files.List(folder, "*.csv", &names), 0u);
    EXPECT_TRUE(names.empty());
    for (const char* name : {"2.csv", "1.csv", "notes.txt", "caf\xC3\xA9.csv"})
        ASSERT_EQ(files.WriteWhole(folder + "\\" + name, "x", Existing::kReplace), 0u) << name;
    ::CreateDirectoryA((folder + "\\sub.csv").c_str(), nullptr);
    ASSERT_EQ(files.List(folder, "*.csv", &names), 0u);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Strings{"1.csv", "2.csv", "caf\xC3\xA9.csv"})) << "files only, their names in UTF-8";
    names = {"stale"};
    EXPECT_NE(files.List(Path("missing"), "*.csv", &names), 0u);
    EXPECT_TRUE(names.empty());

    ASSERT_EQ(files.Remove(folder + "\\caf\xC3\xA9.csv"), 0u);
    EXPECT_FALSE(files.Exists(folder + "\\caf\xC3\xA9.csv"));
    EXPECT_EQ(files.Remove(folder + "\\caf\xC3\xA9.csv"), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadWhole(folder + "\\1.csv"), "x") << "only the file named goes";
}

TEST_F(FileSeam, TheDataFolderIsTheSystemsAndTestsPutTheirOwnSeamInPlace) {
    std::string data = files.DataFolder();
    ASSERT_FALSE(data.empty());
    EXPECT_NE(data.back(), '\\');
    EXPECT_TRUE(Exists(data));

    FailingFiles failing(temp.path());
    Files* previous = SetFiles(&failing);
    EXPECT_EQ(&TheFiles(), &failing);
    EXPECT_EQ(TheFiles().DataFolder(), temp.path());
    EXPECT_EQ(SetFiles(nullptr), &failing);
    EXPECT_NE(&TheFiles(), &failing) << "null puts the system's back";
    EXPECT_EQ(TheFiles().DataFolder(), data);
    SetFiles(previous);
}
