#include "background/ExThread.h"
#include "TestHelpers.h"
#include "background/SpecDlgs.h"
#include "support/Ansi.h"
#include "support/DlgTools.h"
#include "support/Exceptions.h"
#include "support/FramePanel.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A job given as a function; the test reaches the protected parts through it.
class TJob : public TExecuteThread {
public:
    std::function<void(TJob&)> Work;
    std::function<void(const std::vector<TBrenloPanel*>&)> Init;
    bool CancelEventSet() { return FCancelEvent.IsSet(); }

protected:
    void DoWork() override {
        if (Work) Work(*this);
    }
    void InitInfoPanels(const std::vector<TBrenloPanel*>& Panels) override {
        if (Init) Init(Panels);
    }
};

const std::string BadLine = "Ung\xFCltige Zeile in XDT-Datei";

} // namespace

TEST(ExecuteThread, ShortJobReturnsTrueWithoutWindow) {
    TShowCounter<TThreadInfoForm> Shows;
    TJob Job;
    Job.Work = [](TJob&) {};
    // An event pending at the start keeps the caller busy until the job has ended.
    QMetaObject::invokeMethod(
        qApp, [&] { WaitUntil([&] { return Job.WorkDone(); }); }, Qt::QueuedConnection);
    EXPECT_TRUE(Job.RunModal("Kurz", 0, false, true));
    QCoreApplication::sendPostedEvents(); // a job that ended first leaves the event unhandled
    EXPECT_EQ(Shows.Count, 0);
    EXPECT_FALSE(Job.Terminated());
}

TEST(ExecuteThread, JobEndingWhileWindowIsAttachedClosesIt) {
    TShowCounter<TThreadInfoForm> Shows;
    std::atomic<bool> Attaching{false};
    TJob Job;
    Job.Work = [&](TJob&) { WaitUntil([&] { return Attaching.load(); }); };
    Job.Init = [&](const std::vector<TBrenloPanel*>&) {
        Attaching = true;
        WaitUntil([&] { return Job.WorkDone(); });
    };
    EXPECT_TRUE(Job.RunModal("Knapp", 0, false, true));
    EXPECT_TRUE(Attaching);
    EXPECT_EQ(Shows.Count, 0);
}

TEST(ExecuteThread, LongJobShowsWindowWhileTheUserInterfaceRuns) {
    TShowCounter<TThreadInfoForm> Shows;
    std::atomic<bool> Shown{false};
    QPointer<TThreadInfoForm> Seen;
    std::string Caption;
    int Ticks = 0;
    QTimer Tick;
    QObject::connect(&Tick, &QTimer::timeout, [&] { ++Ticks; });
    Tick.start(2);
    TModalWatcher Watch([&](QWidget* W) {
        if (auto* F = qobject_cast<TThreadInfoForm*>(W); F && F->isVisible() && !Shown) {
            Seen = F;
            Caption = F->Panels().at(0)->Caption();
            Shown = true;
        }
    });
    TJob Job;
    Job.Work = [&](TJob&) {
        WaitUntil([&] { return Shown.load(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    const int TicksBefore = Ticks;
    EXPECT_TRUE(Job.RunModal("Lade Datei \"a.ldt\"...", 0, false, true));
    EXPECT_TRUE(Shown);
    EXPECT_EQ(Shows.Count, 1);
    EXPECT_EQ(Caption, "Lade Datei \"a.ldt\"...");
    EXPECT_GT(Ticks - TicksBefore, 3); // the timer kept firing while the caller waited
    EXPECT_TRUE(Seen.isNull());        // the window is gone
}

class ExecuteThreadCancel : public ::testing::TestWithParam<int> {};

TEST_P(ExecuteThreadCancel, ReturnsFalseOnlyAfterTheWorkerEnded) {
    std::atomic<bool> SawCancelEvent{false}, SawTerminated{false}, Ended{false};
    bool Pressed = false;
    TModalWatcher Watch([&](QWidget* W) {
        auto* F = qobject_cast<TThreadInfoForm*>(W);
        if (!F || !F->isVisible() || Pressed) return;
        Pressed = true;
        switch (GetParam()) {
        case 0:
            F->CancelButton()->click();
            break;
        case 1:
            QTest::keyClick(F, Qt::Key_Escape);
            break;
        default:
            QTest::keyClick(F, Qt::Key_Return);
            break;
        }
    });
    TJob Job;
    Job.Work = [&](TJob& J) {
        WaitUntil([&] { return J.CheckCancelled(1); });
        SawCancelEvent = J.CancelEventSet();
        SawTerminated = J.Terminated();
        // Winding down takes a while; the caller must wait for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        Ended = true;
    };
    EXPECT_FALSE(Job.RunModal("Abbruch", 0, false, true));
    EXPECT_TRUE(Pressed);
    EXPECT_TRUE(Ended);
    EXPECT_TRUE(SawCancelEvent);
    EXPECT_TRUE(SawTerminated);
}

INSTANTIATE_TEST_SUITE_P(ButtonEscapeEnter, ExecuteThreadCancel, ::testing::Values(0, 1, 2));

TEST(ExecuteThread, EscapingExceptionIsRaisedInTheCaller) {
    std::atomic<bool> Shown{false};
    QPointer<TThreadInfoForm> Seen;
    TModalWatcher Watch([&](QWidget* W) {
        if (auto* F = qobject_cast<TThreadInfoForm*>(W); F && F->isVisible()) {
            Seen = F;
            Shown = true;
        }
    });
    TJob Job;
    Job.Work = [&](TJob&) {
        WaitUntil([&] { return Shown.load(); });
        throw EXDTInvalidLine(7, 120);
    };
    bool Caught = false;
    try {
        Job.RunModal("Fehler", 0, false, true);
    } catch (const EXDTInvalidLine& E) {
        Caught = true;
        EXPECT_EQ(E.Message(), BadLine);
        EXPECT_EQ(E.PhysicalLine(), 7);
    }
    EXPECT_TRUE(Caught);
    EXPECT_TRUE(Shown);
    EXPECT_TRUE(Seen.isNull());
}

TEST(ExecuteThread, ReportedErrorIsShownWhileTheWorkerWaits) {
    SetApplicationTitle("Brenlo Ostrel V2.1");
    for (const bool PressCancel : {false, true}) {
        std::atomic<bool> Reported{false};
        bool ReportedWhileShown = true;
        QString Title, Text, OkText, CancelText;
        bool HasImage = false;
        TModalWatcher Watch([&](QWidget* W) {
            auto* Box = qobject_cast<TMsgForm*>(W);
            if (!Box || !Box->isVisible()) return;
            Title = Box->windowTitle();
            Text = Box->findChild<QLabel*>("Message")->text();
            if (auto* Image = Box->findChild<QLabel*>("Image")) {
                const QPixmap Error =
                    Box->style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, Box).pixmap(32, 32);
                HasImage = Image->pixmap().toImage() == Error.toImage();
            }
            OkText = Box->findChild<QPushButton*>("OK")->text();
            CancelText = Box->findChild<QPushButton*>("Cancel")->text();
            ReportedWhileShown = Reported;
            Box->findChild<QPushButton*>(PressCancel ? "Cancel" : "OK")->click();
        });
        TJob Job;
        Job.Work = [&](TJob& J) {
            try {
                throw EXDTInvalidLine(3, 40);
            } catch (...) {
                J.HandleWorkException();
            }
            Reported = true;
        };
        EXPECT_TRUE(Job.RunModal("Lade", 0, false, true));
        EXPECT_TRUE(Reported);
        EXPECT_FALSE(ReportedWhileShown); // the worker waited for the box
        EXPECT_EQ(Title, QStringLiteral("Brenlo Ostrel V2.1"));
        EXPECT_EQ(Text, AnsiToQString(BadLine + "."));
        EXPECT_TRUE(HasImage); // the error icon
        EXPECT_EQ(OkText, QStringLiteral("O&k"));
        EXPECT_EQ(CancelText, QStringLiteral("A&bbrechen"));
        EXPECT_EQ(Job.Terminated(), PressCancel); // Cancel asks the job to stop
    }
}

TEST(ExecuteThread, ReportWhileMinimisedRestoresTheWindowAsItWas) {
    for (const Qt::WindowState Before : {Qt::WindowMaximized, Qt::WindowNoState}) {
        QWidget Main;
        SetMainForm(&Main);
        Main.setWindowState(Before);
        Main.show();
        Main.showMinimized();
        ASSERT_TRUE(ApplicationMinimized());
        int Boxes = 0;
        TModalWatcher Watch([&](QWidget* W) {
            auto* Box = qobject_cast<TMsgForm*>(W);
            if (!Box || !Box->isVisible()) return;
            ++Boxes;
            Box->findChild<QPushButton*>("OK")->click();
        });
        TJob Job;
        Job.Work = [](TJob& J) {
            try {
                throw EXDTInvalidLine(1, 0);
            } catch (...) {
                J.HandleWorkException();
            }
        };
        EXPECT_TRUE(Job.RunModal("Lade", 0, false, true));
        EXPECT_EQ(Boxes, 1);
        EXPECT_FALSE(Main.isMinimized()) << Before;
        EXPECT_EQ(Main.isMaximized(), Before == Qt::WindowMaximized);
        SetMainForm(nullptr);
    }
}

TEST(ExecuteThread, AbortIsNeverShown) {
    TShowCounter<TMsgForm> Boxes;
    TJob Job;
    std::atomic<bool> Returned{false};
    Job.Work = [&](TJob& J) {
        try {
            throw EAbort("still");
        } catch (...) {
            J.HandleWorkException();
        }
        Returned = true;
    };
    EXPECT_TRUE(Job.RunModal("Still", 0, false, true));
    EXPECT_TRUE(Returned);
    EXPECT_EQ(Boxes.Count, 0);
}

TEST(ExecuteThread, ErrorTextGetsAFullStopAfterLettersDigitsAndQuestionMarks) {
    EXPECT_EQ(TExecuteThread::WorkErrorText("Datei fehlt"), "Datei fehlt.");
    EXPECT_EQ(TExecuteThread::WorkErrorText("Code 42"), "Code 42.");
    EXPECT_EQ(TExecuteThread::WorkErrorText("Weiter?"), "Weiter?.");
    EXPECT_EQ(TExecuteThread::WorkErrorText("Pfad:"), "Pfad:.");
    EXPECT_EQ(TExecuteThread::WorkErrorText("Gr\xF6\xDF"), "Gr\xF6\xDF.");
    for (const char* Kept : {"Ende.", "Halt!", "a,", "a-", "(a)", "a "})
        EXPECT_EQ(TExecuteThread::WorkErrorText(Kept), Kept);
    EXPECT_EQ(TExecuteThread::WorkErrorText(""), "");
}

TEST(ExecuteThread, StatusLinesAndProgressFromTheWorker) {
    std::atomic<bool> Shown{false}, Checked{false};
    std::string InitCaption;
    TModalWatcher Watch([&](QWidget* W) {
        auto* F = qobject_cast<TThreadInfoForm*>(W);
        if (!F || !F->isVisible()) return;
        if (!Shown) {
            InitCaption = F->Panels().at(1)->Caption();
            Shown = true;
        }
        if (F->Panels().at(1)->Caption() == "Zeile 5" && F->Progress()->value() == 12500) Checked = true;
    });
    TJob Job;
    Job.Init = [](const std::vector<TBrenloPanel*>& Panels) {
        ASSERT_EQ(Panels.size(), 3u);
        Panels[1]->SetCaption("Bereit");
    };
    Job.Work = [&](TJob& J) {
        WaitUntil([&] { return Shown.load(); });
        J.PostInfoText(1, "Zeile 5");
        J.PostInfoText(9, "ins Leere");
        J.PostInfoRange(0, 200);
        J.PostInfoPos(50);
        WaitUntil([&] { return Checked.load(); });
    };
    EXPECT_TRUE(Job.RunModal("Fortschritt", 2, true, false));
    EXPECT_EQ(InitCaption, "Bereit");
    EXPECT_TRUE(Checked);
}

TEST(ExecuteThread, RunsOnceAndFreesCleanly) {
    { TJob NeverRun; } // destroying an object that never ran does not wait
    TJob Job;
    Job.Work = [](TJob&) {};
    QMetaObject::invokeMethod(
        qApp, [&] { WaitUntil([&] { return Job.WorkDone(); }); }, Qt::QueuedConnection);
    EXPECT_TRUE(Job.RunModal("Einmal", 0, false, false));
    QCoreApplication::sendPostedEvents();
    EXPECT_THROW(Job.RunModal("Zweimal", 0, false, false), std::logic_error);
    EXPECT_FALSE(Job.CheckCancelled(0));
    Job.RequestCancel();
    EXPECT_TRUE(Job.CheckCancelled(0));
}
