// The options file: defaults at the first start, the eight keys written at close and read back, the
// values that fall back to defaults, and the user's own folder when the program's cannot be written.
#include "ShellTestUtil.h"
#include "support/IniFile.h"
#include "view/XDTPtrView.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QPushButton>
#include <QScreen>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Options(const std::string& Body) {
    return "[Options]\r\n" + Body;
}

} // namespace

TEST_F(ShellTest, FirstStartUsesDefaultsAndCloseWritesAllEightKeys) {
    auto Form = MakeForm();
    const QFont F = Form->View()->font();
    EXPECT_EQ(F.family(), "Courier New");
    EXPECT_EQ(F.pointSize(), 12);
    EXPECT_TRUE(F.bold());
    EXPECT_TRUE(Form->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(Form->View()->ShowComments());
    EXPECT_FALSE(Form->View()->ShowFeldArtName());
    EXPECT_FALSE(Action(*Form, "cmShowComments")->isChecked());
    EXPECT_FALSE(Action(*Form, "cmShowFeldArtName")->isChecked());
    EXPECT_EQ(Form->LastDirectory(), Paths.ProgramDir);
    EXPECT_EQ(Form->LastFileType(), 1);

    Form->show();
    Form->findChild<QPushButton*>("ButtonClose")->click();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(
        ReadFileBytes(Paths.OptionsFile),
        Options("Font-Name=Courier New\r\nFont-Size=12\r\nFont-Bold=1\r\nLast Directory=" + Paths.ProgramDir +
                "\r\nLast File Type=1\r\nWindow Maximized=1\r\nShow Comments=0\r\nShow Fieldname=0\r\n"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Paths.FallbackOptionsFile)));
}

TEST_F(ShellTest, OptionsAreReadBackOnTheNextStart) {
    const std::string P = Doc("docs/plain.ldt");
    {
        auto Form = MakeForm({QString::fromStdString(P)});
        Form->show();
        Action(*Form, "cmShowFeldArtName")->trigger();
        EXPECT_TRUE(Form->View()->ShowFeldArtName());
        Form->showNormal();
        Form->close();
    }
    auto Form = MakeForm();
    EXPECT_TRUE(Form->View()->ShowFeldArtName());
    EXPECT_TRUE(Action(*Form, "cmShowFeldArtName")->isChecked());
    EXPECT_FALSE(Form->View()->ShowComments());
    EXPECT_EQ(Form->LastDirectory(), Dir("docs/"));
    EXPECT_FALSE(Form->windowState() & Qt::WindowMaximized);
    Form->show();
    EXPECT_FALSE(Form->isMaximized());
}

TEST_F(ShellTest, OptionValuesInEveryFormAndOtherSectionsKept) {
    WriteFile("prog/ostrel.INI",
              "; made by hand\r\n[Options]\r\nFont-Name=Liberation Mono\r\nFont-Size=0x10\r\n"
              "Font-Bold=0\r\nLast Directory=" +
                  Dir("docs/") +
                  "\r\nLast File Type=3\r\nWindow Maximized=0\r\nShow Comments=5\r\n"
                  "Show Fieldname=ja\r\n[Other]\r\nKey=Value\r\n");
    auto Form = MakeForm();
    const QFont F = Form->View()->font();
    EXPECT_EQ(F.family(), "Liberation Mono");
    EXPECT_EQ(F.pointSize(), 16);
    EXPECT_FALSE(F.bold());
    EXPECT_EQ(Form->LastDirectory(), Dir("docs/"));
    EXPECT_EQ(Form->LastFileType(), 3);
    EXPECT_TRUE(Form->View()->ShowComments()); // any integer but 0
    EXPECT_TRUE(Action(*Form, "cmShowComments")->isChecked());
    EXPECT_FALSE(Form->View()->ShowFeldArtName()); // not an integer: the default
    Form->show();
    EXPECT_FALSE(Form->isMaximized());
    Form->close();
    EXPECT_EQ(ReadFileBytes(Paths.OptionsFile),
              "; made by hand\r\n[Options]\r\nFont-Name=Liberation Mono\r\nFont-Size=16\r\nFont-Bold=0\r\n"
              "Last Directory=" +
                  Dir("docs/") +
                  "\r\nLast File Type=3\r\nWindow Maximized=0\r\nShow Comments=1\r\nShow Fieldname=0\r\n"
                  "[Other]\r\nKey=Value\r\n");
}

TEST_F(ShellTest, UnusableFontSizeAndDirectoryFallBack) {
    const std::string AFile = Doc("docs/plain.ldt");
    for (const std::string& Bad :
         {std::string("0"), std::string("-3"), std::string("1001"), std::string("99999")}) {
        WriteFile("prog/ostrel.INI", Options("Font-Size=" + Bad + "\r\nLast Directory=" + AFile + "\r\n"));
        auto Form = MakeForm();
        EXPECT_EQ(Form->View()->font().pointSize(), 12) << Bad;
        EXPECT_EQ(Form->LastDirectory(), Paths.ProgramDir) << Bad;
    }
    WriteFile("prog/ostrel.INI", Options("Font-Size=1000\r\nLast Directory=" + Dir("nowhere/") + "\r\n"));
    auto Form = MakeForm();
    EXPECT_EQ(Form->View()->font().pointSize(), 1000);
    EXPECT_EQ(Form->LastDirectory(), Paths.ProgramDir);
}

TEST_F(ShellTest, ProgramFolderNotWritableUsesTheUsersFolder) {
    // As root no permission bit stops a write; a path below a plain file cannot be written by anyone.
    WriteFile("blocker", "not a folder");
    Paths.OptionsFile = Dir("blocker/ostrel.INI");
    EXPECT_EQ(TFormOstrel::ChooseOptionsFile(Paths), Paths.FallbackOptionsFile);
    {
        auto Form = MakeForm();
        Action(*Form, "cmShowComments")->trigger();
        int Modals = 0;
        TModalDriver Driver([&](QWidget* W) {
            ++Modals;
            if (auto* D = qobject_cast<QDialog*>(W)) D->done(0);
            return true;
        });
        Form->close();
        EXPECT_EQ(Modals, 0);
    }
    const std::string Text = ReadFileBytes(Paths.FallbackOptionsFile);
    EXPECT_NE(Text.find("Show Comments=1\r\n"), std::string::npos) << Text;
    EXPECT_EQ(ReadFileBytes(Dir("blocker")), "not a folder");
    auto Form = MakeForm();
    EXPECT_TRUE(Form->View()->ShowComments());
}

TEST_F(ShellTest, ReadOnlyPresetBesideTheProgramIsReadUntilTheUserHasOwnOptions) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    const std::string Preset = WriteFile("prog/ostrel.INI", Options("Show Fieldname=1\r\n"));
    ASSERT_EQ(chmod(Dir("prog").c_str(), 0555), 0);
    {
        auto Form = MakeForm();
        EXPECT_TRUE(Form->View()->ShowFeldArtName());
        Action(*Form, "cmShowComments")->trigger();
        Form->close();
    }
    auto Form = MakeForm();
    EXPECT_TRUE(Form->View()->ShowFeldArtName());
    EXPECT_TRUE(Form->View()->ShowComments());
    EXPECT_EQ(ReadFileBytes(Preset), Options("Show Fieldname=1\r\n"));
    chmod(Dir("prog").c_str(), 0755);
}

TEST_F(ShellTest, OptionsThatCannotBeWrittenAnywhereAreReportedOnce) {
    WriteFile("blocker", "not a folder");
    Paths.OptionsFile = Dir("blocker/ostrel.INI");
    Paths.FallbackOptionsFile = Dir("blocker/config/ostrel.INI");
    auto Form = MakeForm();
    Form->show();
    QStringList Messages;
    TModalDriver Driver([&](QWidget* W) {
        if (!qobject_cast<TMsgForm*>(W)) return false;
        Messages << MsgText(W);
        return ClickMsgButton(W, mrOk);
    });
    Form->close();
    EXPECT_FALSE(Form->isVisible());
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages[0], QString::fromStdString("Unable to write to " + Paths.FallbackOptionsFile));
}

TEST_F(ShellTest, OptionsFileTooLargeToReadKeepsTheSettingsInTheUsersFolder) {
    const std::string Big =
        Options("Show Comments=0\r\n; " + std::string(TIniFile::MaxFileSize, 'x') + "\r\n");
    WriteFile("prog/ostrel.INI", Big);
    {
        auto Form = MakeForm();
        Action(*Form, "cmShowComments")->trigger();
        int Modals = 0;
        TModalDriver Driver([&](QWidget* W) {
            ++Modals;
            if (auto* D = qobject_cast<QDialog*>(W)) D->done(0);
            return true;
        });
        Form->close();
        EXPECT_EQ(Modals, 0);
    }
    EXPECT_EQ(ReadFileBytes(Paths.OptionsFile), Big); // neither read nor replaced
    EXPECT_NE(ReadFileBytes(Paths.FallbackOptionsFile).find("Show Comments=1\r\n"), std::string::npos);
    auto Form = MakeForm();
    EXPECT_TRUE(Form->View()->ShowComments());

    // Without a folder of the user's the setting cannot be kept: the user is told.
    Paths.FallbackOptionsFile.clear();
    auto Lost = MakeForm();
    QStringList Messages;
    TModalDriver Driver([&](QWidget* W) {
        if (!qobject_cast<TMsgForm*>(W)) return false;
        Messages << MsgText(W);
        return ClickMsgButton(W, mrOk);
    });
    Lost->close();
    EXPECT_EQ(Messages, QStringList{QString::fromStdString("Unable to write to " + Paths.OptionsFile)});
}

TEST_F(ShellTest, ProportionalFontFromTheOptionsFileGivesWayToAFixedPitchOne) {
    for (const char* Name : {"Liberation Sans", "DejaVu Sans"}) {
        QFont Proportional(Name);
        if (QFontInfo(Proportional).family() != Name || QFontInfo(Proportional).fixedPitch()) continue;
        WriteFile("prog/ostrel.INI",
                  Options(std::string("Font-Name=") + Name + "\r\nFont-Size=14\r\nFont-Bold=0\r\n"));
        auto Form = MakeForm();
        const QFont F = Form->View()->font();
        EXPECT_TRUE(QFontInfo(F).fixedPitch()) << Name << " gave " << QFontInfo(F).family().toStdString();
        EXPECT_EQ(F.pointSize(), 14);
        EXPECT_FALSE(F.bold());
    }
    // A fixed-pitch font named there stays.
    WriteFile("prog/ostrel.INI", Options("Font-Name=Liberation Mono\r\nFont-Size=9\r\n"));
    auto Form = MakeForm();
    EXPECT_EQ(Form->View()->font().family(), "Liberation Mono");
    EXPECT_EQ(Form->View()->font().pointSize(), 9);
}

TEST_F(ShellTest, NormalFirstStartPlacesTheWindowInsideTheScreen) {
    WriteFile("prog/ostrel.INI", Options("Window Maximized=0\r\n"));
    auto Form = MakeForm();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    const QRect Area = Form->screen()->availableGeometry();
    EXPECT_TRUE(Area.contains(Form->frameGeometry())) << Form->frameGeometry().width() << " wide";
    // As near to the stored position as the screen allows.
    EXPECT_EQ(Form->frameGeometry().left(), std::min(200, Area.right() + 1 - Form->frameGeometry().width()));
    EXPECT_EQ(Form->frameGeometry().top(), std::min(118, Area.bottom() + 1 - Form->frameGeometry().height()));
}
