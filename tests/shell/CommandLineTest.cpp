// The command line belongs to the program: every argument counts, also one that Qt would read as
// its own option, and a document of such a name opens.
#include "ShellTestUtil.h"
#include "view/XDTPtrView.h"

#include <QProcess>

namespace {
QStringList Params(std::initializer_list<const char*> Argv) {
    return TFormOstrel::CommandLineParams(int(Argv.size()), Argv.begin());
}
} // namespace

TEST(CommandLine, EveryArgumentAfterTheProgramsNameCounts) {
    EXPECT_EQ(Params({"ostrel"}), QStringList());
    EXPECT_EQ(Params({"ostrel", "-reverse"}), QStringList{"-reverse"});
    EXPECT_EQ(Params({"ostrel", "-reverse", "a.ldt"}), QStringList({"-reverse", "a.ldt"}));
    EXPECT_EQ(Params({"ostrel", "-style", "fusion", "a.ldt"}), QStringList({"-style", "fusion", "a.ldt"}));
}

TEST(CommandLine, TheViewerLeavesQtOptionsToTheProgram) {
    // Were "-platform nowhere" read by Qt, the viewer could not start; as the program's own two
    // arguments it opens nothing and runs (here just long enough for its picture).
    QTemporaryDir Tmp;
    QProcess P;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    Env.insert("OSTREL_SCREENSHOT", Tmp.filePath("shot.png"));
    Env.insert("OSTREL_SCREENSHOT_DELAY", "100");
    P.setProcessEnvironment(Env);
    P.start(QStringLiteral(OSTREL_BIN_DIR "/ostrel"), {"-platform", "nowhere"});
    ASSERT_TRUE(P.waitForFinished(30000));
    EXPECT_EQ(P.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(P.exitCode(), 0) << P.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(Tmp.filePath("shot.png")));
}

TEST_F(ShellLoadTest, DocumentNamedLikeAQtOptionOpens) {
    Doc("docs/-reverse", 4);
    const QString Cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(Dir("docs"))));
    auto Form = MakeForm(Params({"ostrel", "-reverse"}));
    QDir::setCurrent(Cwd);
    EXPECT_EQ(Form->CurrentFile(), "-reverse");
    EXPECT_EQ(Form->View()->LineCount(), 4);
    EXPECT_EQ(Form->windowTitle(), Title("-reverse"));
}
