// The file load as the program runs it: a worker thread splits the file while the user-interface
// thread goes on, looking only at the update counter; cancel and error reports cross between the two.
// These run under ThreadSanitizer too (suite names with "Thread"), which checks that what the threads
// share is synchronised.
#include "TestUtil.h"
#include "catalogue/XDTCodeTbl.h"
#include "catalogue/XDTComments.h"
#include "document/XDTPtrList.h"
#include "support/Ansi.h"
#include "support/Event.h"
#include "support/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using testutil::TempDir;
using testutil::XdtLine;

namespace {

constexpr int kWaitMs = 60000; // generous: sanitizer builds run much slower

std::string Document(int Lines) {
    std::string B;
    for (int I = 0; I < Lines; ++I) {
        if (I % 50 == 0)
            B += XdtLine(8000, I % 100 == 0 ? "8220" : "0101");
        else
            B += XdtLine(3000 + I % 150, "Inhalt " + std::to_string(I));
    }
    return B;
}

// Joins the worker however the test ends, so that a failed assertion does not end the program.
struct Joiner {
    std::thread& T;
    ~Joiner() {
        if (T.joinable()) T.join();
    }
};

// What the user-interface thread does while a load runs: it reads the counter, and it may look into
// the catalogue (the search dialog, the status texts), which the worker reads at the same time.
bool UserInterfaceStep(const TFileXDTPtrList& L) {
    const bool Busy = L.UpdateCount() > 0;
    const bool Lookups = SatzArtName("8220") == SatzArtNameByIndex(SatzArtIndex("8220")) &&
                         !FeldArtName(3101).empty() &&
                         InhaltComment(8000, "8220") == InhaltComment(8000, "8220") &&
                         AnsiCompareText("m\xFCller", "M\xDCLLER") == 0 && AnsiUpperCase("abc") == "ABC";
    return Busy && Lookups;
}

} // namespace

TEST(LoadThread, InterfaceSeesABusyIndexUntilTheWorkerEnds) {
    TempDir D;
    const std::string Path = D.Write("f.ldt", Document(30000));
    TFileXDTPtrList L;
    TEvent Done;
    {
        TUpdateBracket Outer(L); // the main window's own bracket around the whole run
        std::thread W([&] {
            LoadXDTFile(L, Path);
            Done.Set();
        });
        Joiner J{W};
        bool AllBusy = true;
        while (!Done.WaitFor(0)) AllBusy = UserInterfaceStep(L) && AllBusy;
        W.join();
        EXPECT_TRUE(AllBusy);
        EXPECT_EQ(L.UpdateCount(), 1);
    }
    EXPECT_EQ(L.UpdateCount(), 0);
    EXPECT_EQ(L.Count(), 30000);
    EXPECT_EQ(L.SatzArtList().Count(), 2);
    EXPECT_EQ(L.Inhalt(29999), "Inhalt 29999");
}

TEST(LoadThread, CancelFromTheInterfaceThread) {
    TempDir D;
    const std::string Path = D.Write("f.ldt", Document(200000));
    // Once under way, the worker tells the interface thread and waits until the user cancelled, so
    // that the cancel lands midway however the two threads are scheduled.
    struct SignallingList : TFileXDTPtrList {
        TEvent Started;
        TEvent* Cancel = nullptr;
        void Grow() override {
            if (Capacity() >= 1000 && !Started.IsSet()) {
                Started.Set();
                Cancel->WaitFor(kWaitMs);
            }
            TFileXDTPtrList::Grow();
        }
    } L;
    TEvent Cancel;
    L.Cancel = &Cancel;
    std::thread W([&] { LoadXDTFile(L, Path, {.Cancel = &Cancel}); });
    Joiner J{W};
    ASSERT_TRUE(L.Started.WaitFor(kWaitMs));
    Cancel.Set();
    W.join();
    EXPECT_GT(L.Count(), 1000);
    EXPECT_LT(L.Count(), 2000);
    EXPECT_EQ(L.UpdateCount(), 0);
    // After a cancel the interface thread clears what the worker left.
    L.Clear();
    EXPECT_EQ(L.Count(), 0);
    EXPECT_FALSE(L.FileOpen());
}

TEST(LoadThread, ErrorHandedOverWhileTheWorkerWaits) {
    TempDir D;
    const std::string Path = D.Write("f.ldt", Document(5000) + "\r\n" + Document(10));
    TFileXDTPtrList L;
    TEvent Report, Shown;
    std::string Message;
    bool WorkerSawShown = false;
    std::thread W([&] {
        try {
            LoadXDTFile(L, Path);
        } catch (const Exception& E) {
            // The synchronous hand-over: the worker publishes the error and waits until it was shown.
            Message = E.Message();
            Report.Set();
            WorkerSawShown = Shown.WaitFor(kWaitMs);
        }
    });
    Joiner J{W};
    ASSERT_TRUE(Report.WaitFor(kWaitMs));
    // The worker is blocked: the interface thread may read the error and the lines before it.
    EXPECT_EQ(Message, "Ung\xFCltige Zeile in XDT-Datei");
    EXPECT_EQ(L.Count(), 5000);
    Shown.Set();
    W.join();
    EXPECT_TRUE(WorkerSawShown);
    EXPECT_EQ(L.UpdateCount(), 0);
    EXPECT_EQ(L.Count(), 5000);
}

TEST(LoadThread, FileTruncatedWhileTheWorkerSplitsIt) {
    TempDir D;
    const std::string Path = D.Write("f.ldt", Document(50000));
    // The worker pauses once under way, until the file has been cut short from outside.
    struct PausingList : TFileXDTPtrList {
        TEvent Started, Truncated;
        bool Paused = false;
        void Grow() override {
            if (Capacity() >= 1000 && !Paused) {
                Paused = true;
                Started.Set();
                Truncated.WaitFor(kWaitMs);
            }
            TFileXDTPtrList::Grow();
        }
    } L;
    std::string Message;
    std::thread W([&] {
        try {
            LoadXDTFile(L, Path);
        } catch (const Exception& E) {
            Message = E.Message();
        }
    });
    Joiner J{W};
    ASSERT_TRUE(L.Started.WaitFor(kWaitMs));
    ASSERT_EQ(::truncate(Path.c_str(), 4096), 0);
    L.Truncated.Set();
    W.join();
    // The vanished bytes read as NUL on the worker too, which makes no valid line.
    EXPECT_EQ(Message, "Ung\xFCltige Zeile in XDT-Datei");
    EXPECT_TRUE(L.FileTruncated());
    EXPECT_GT(L.Count(), 1000);
    EXPECT_LT(L.Count(), 50000);
}
