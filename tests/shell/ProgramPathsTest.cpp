// The options file of the running program: beside it, with the user's folder as fallback; or the one
// file that OSTREL_OPTIONS_FILE names (pictures of the window with chosen options).
#include "ShellTestUtil.h"
#include "support/IniFile.h"
#include "view/XDTPtrView.h"

#include <QFileInfo>
#include <QPushButton>

namespace {

// Sets an environment variable for one test and puts the old state back.
class TEnvGuard {
public:
    TEnvGuard(const char* Name, const QByteArray& Value)
        : FName(Name), FHad(qEnvironmentVariableIsSet(Name)), FOld(qgetenv(Name)) {
        qputenv(Name, Value);
    }
    ~TEnvGuard() {
        if (FHad)
            qputenv(FName, FOld);
        else
            qunsetenv(FName);
    }

private:
    const char* FName;
    bool FHad;
    QByteArray FOld;
};

} // namespace

TEST_F(ShellTest, OptionsFileBesideTheProgramWithoutTheVariable) {
    TEnvGuard Env("OSTREL_OPTIONS_FILE", "");
    const TOstrelPaths P = TFormOstrel::ProgramPaths();
    EXPECT_EQ(P.OptionsFile, IniFileName());
    EXPECT_FALSE(P.FallbackOptionsFile.empty());
}

TEST_F(ShellTest, OptionsFileNamedByTheVariableIsTheOnlyOne) {
    const std::string Named = WriteFile("shot.INI", "[Options]\r\nShow Comments=1\r\nWindow Maximized=0\r\n");
    TEnvGuard Env("OSTREL_OPTIONS_FILE", QByteArray::fromStdString(Named));
    Paths = TFormOstrel::ProgramPaths();
    ASSERT_EQ(Paths.OptionsFile, Named);
    EXPECT_TRUE(Paths.FallbackOptionsFile.empty());
    EXPECT_EQ(TFormOstrel::OptionsFileToRead(Paths), Named);

    auto Form = MakeForm();
    EXPECT_TRUE(Form->View()->ShowComments());
    EXPECT_FALSE(Form->windowState() & Qt::WindowMaximized);
    Form->show();
    Form->findChild<QPushButton*>("ButtonClose")->click();
    // Written back into the named file, with the value read from it.
    EXPECT_NE(ReadFileBytes(Named).find("Show Comments=1\r\n"), std::string::npos);
    EXPECT_NE(ReadFileBytes(Named).find("Font-Name="), std::string::npos);
}
