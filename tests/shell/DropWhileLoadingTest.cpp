// A file dropped while a load runs waits for that load: it must not start a load inside it, which
// would clear the index the worker is filling.
#include "ShellTestUtil.h"
#include "document/XDTPtrList.h"
#include "view/XDTPtrView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <atomic>

TEST_F(ShellLoadTest, FileDroppedWhileALoadRunsOpensAfterIt) {
    const std::string A = Doc("docs/a.ldt", 3), B = Doc("docs/b.ldt", 6);
    auto Form = MakeForm();
    ShowActive(*Form);
    std::atomic<int> Loads{0};
    std::atomic<bool> Release{false};
    // The first load is held until the drop has been delivered and served for a while.
    Form->SetBeforeLoadHook([&](TLoadFileThread&) {
        if (++Loads != 1) return;
        for (int I = 0; I < 10000 && !Release; ++I) QThread::msleep(1);
    });
    // The drop arrives while the load has begun and before its progress window is up (that window
    // would keep drops from the blocked main window).
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(QString::fromStdString(B))});
    bool Dropped = false, LoadingThen = false;
    QTimer::singleShot(0, [&] {
        LoadingThen = Form->Loading();
        QDragEnterEvent Enter(QPoint(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.get(), &Enter);
        QDropEvent Drop(QPointF(50, 50), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.get(), &Drop);
        Dropped = Drop.isAccepted();
        QTimer::singleShot(300, [&] { Release = true; });
    });
    TModalDriver Driver([](QWidget*) { return false; }); // closes what would stay open
    Form->LoadFile(A);
    EXPECT_TRUE(Dropped);
    EXPECT_TRUE(LoadingThen);
    EXPECT_EQ(Form->CurrentFile(), A);
    EXPECT_EQ(Form->View()->LineCount(), 3);
    EXPECT_EQ(Form->windowTitle(), Title(A));

    ASSERT_TRUE(ServeUntil([&] { return Form->CurrentFile() == B && !Form->Loading(); }));
    EXPECT_EQ(Loads.load(), 2);
    EXPECT_EQ(Form->View()->LineCount(), 6);
    EXPECT_EQ(Form->StatusText(0), "Zeilen: 6");
    EXPECT_EQ(Form->windowTitle(), Title(B));
    EXPECT_EQ(Driver.TimedOut, 0);
}
