#include "engine/ErrorList.h"
#include "engine/Tools.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> shown;

int RecordBox(void* owner, const char* text, const char* caption, unsigned style) {
    EXPECT_EQ(owner, reinterpret_cast<void*>(0x1234));
    EXPECT_STREQ(caption, "Errors");
    EXPECT_EQ(style, 0u);
    shown.push_back(text);
    return 1;
}

TEST(ErrorList, ReportShowsEachRecordInOrderAndAddAppendsAfterTheLast) {
    shown.clear();
    Zu_ErrorList list;
    list.Add("Zu_DataC.Rom", 34, Zu_ErrorList::KindOpen, 0);
    list.Add("Zu_DataS.Rom", 46, Zu_ErrorList::KindVersion, 0);
    list.Report(reinterpret_cast<void*>(0x1234), "Errors", RecordBox);
    list.Add("Zu_DataS.Rom", 100, Zu_ErrorList::KindRead, 7);
    EXPECT_EQ(list.GetCount(), 3);

    list.Report(reinterpret_cast<void*>(0x1234), "Errors", RecordBox);
    const std::vector<std::string> expected = {
        "Error file=Zu_DataC.Rom,kind=Open,line=34,param=0",
        "Error file=Zu_DataS.Rom,kind=Version,line=46,param=0",
        "Error file=Zu_DataC.Rom,kind=Open,line=34,param=0",
        "Error file=Zu_DataS.Rom,kind=Version,line=46,param=0",
        "Error file=Zu_DataS.Rom,kind=Read,line=100,param=7",
    };
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(list.GetCurrent()->line, 100);
}

TEST(ErrorList, RecordsKeepACopyOfTheTextAndTheCallersPointer) {
    Zu_ErrorList list;
    char path[] = "a.Rom";
    list.Add(path, 1, Zu_ErrorList::KindOpen, 5);
    path[0] = 'b';
    const ErrorRecord* r = list.GetFirst();
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->fileText.get(), "a.Rom");
    EXPECT_EQ(r->callerText, path);
    EXPECT_EQ(r->extra[0] | r->extra[1] | r->extra[2], 0);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetFirst(), nullptr);
    list.Add("c", 2, 1, 0); // a cleared list starts again at its first record
    EXPECT_EQ(list.GetFirst()->line, 2);
}

TEST(ErrorList, KindsAreNamedByTheirRemainderOfSixAndNegativeOnesReadAsNull) {
    struct {
        int kind;
        const char* name;
    } cases[] = {{0, "NULL"}, {1, "Open"}, {2, "Version"}, {3, "Read"},  {4, "Malloc"}, {5, "Init"},
                 {6, "NULL"}, {7, "Open"}, {11, "Init"},   {-1, "NULL"}, {-7, "NULL"}};
    for (const auto& c : cases)
        EXPECT_STREQ(Zu_ErrorList::KindName(c.kind), c.name) << c.kind;
}

TEST(ErrorList, ReportLineIsCutToItsBuffer) {
    shown.clear();
    Zu_ErrorList list;
    const std::string longPath(1000, 'x');
    list.Add(longPath.c_str(), 1, -3, 0);
    list.Report(reinterpret_cast<void*>(0x1234), "Errors", RecordBox);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].size(), 255u);
    EXPECT_EQ(shown[0].rfind("Error file=xxx", 0), 0u);
}

// The log lives in the working folder; each test gets its own. It is a text file of the game's
// platform: lines end in CR LF.
class ErrorLog : public testing::Test {
protected:
    void SetUp() override { Zu_Tools::StartErrorLogRun(); }
    testsupport::TempFolder folder;
    std::string Log() const { return testsupport::TempFolder::Read(folder.path() / "Error.lst"); }
};

TEST_F(ErrorLog, FirstWriteOfARunEmptiesTheFileAndEveryLineStartsWithABreak) {
    testsupport::TempFolder::Write(folder.path() / "Error.lst", "old run\n");
    Zu_Tools::WriteErrorLog("Zu_LocalControl", "Have Connect Server", 2225, 0, 0, 0, 1);
    Zu_Tools::WriteErrorLog("Zu_MultiCasting", "WSAECONNRESET", 310, 4, 0, 0, 1);
    EXPECT_EQ(Log(), "\r\nZu_LocalControl,Have Connect Server,2225,0,0,0"
                     "\r\nZu_MultiCasting,WSAECONNRESET,310,4,0,0");
}

TEST_F(ErrorLog, DisabledCallsNeverTouchTheFile) {
    testsupport::TempFolder::Write(folder.path() / "Error.lst", "old run\n");
    Zu_Tools::WriteErrorLog("Tools", "x", 1, 2, 3, 4, 0);
    Zu_Tools::WriteErrorLog("Tools", "x", 1, 2, 3, 4, 2);
    EXPECT_EQ(Log(), "old run\n");
    Zu_Tools::WriteErrorLog("Tools", "x", 1, 2, 3, 4, 1);
    EXPECT_EQ(Log(), "\r\nTools,x,1,2,3,4");
}

TEST_F(ErrorLog, WithoutTextsTheFirstCallStillEmptiesTheFile) {
    testsupport::TempFolder::Write(folder.path() / "Error.lst", "old run\n");
    Zu_Tools::WriteErrorLog(nullptr, nullptr, 1, 2, 3, 4, 1);
    EXPECT_EQ(Log(), "");
    Zu_Tools::WriteErrorLog(nullptr, "peer", -1, 0, 0, 0, 1);
    EXPECT_EQ(Log(), "\r\n(null),peer,-1,0,0,0");
}

// Like every game file, the log is found whatever the case of its name on disk.
TEST_F(ErrorLog, AnExistingLogIsFoundWhateverTheCaseOfItsName) {
    testsupport::TempFolder::Write(folder.path() / "ERROR.LST", "old run\n");
    Zu_Tools::WriteErrorLog("a", "b", 1, 0, 0, 0, 1);
    EXPECT_EQ(testsupport::TempFolder::Read(folder.path() / "ERROR.LST"), "\r\na,b,1,0,0,0");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Error.lst"));
}

TEST_F(ErrorLog, AFailedFirstOpenStillMakesLaterWritesAppend) {
    std::filesystem::create_directory(folder.path() / "Error.lst"); // cannot be opened as a file
    Zu_Tools::WriteErrorLog("a", "b", 1, 0, 0, 0, 1);
    std::filesystem::remove(folder.path() / "Error.lst");
    testsupport::TempFolder::Write(folder.path() / "Error.lst", "kept");
    Zu_Tools::WriteErrorLog("a", "b", 2, 0, 0, 0, 1);
    EXPECT_EQ(Log(), "kept\r\na,b,2,0,0,0");
}

} // namespace
