// The extended main window: the character set a family implies and why, the format panel, the longer
// toggle cycle, and the classic switch that brings back exactly the classic window.
#include "ShellTestUtil.h"

#include "document/XDTFile.h"
#include "view/XDTPtrView.h"

#include <QAction>
#include <QLabel>

TEST_F(ShellTest, ExtendedViewReadsTodaysFilesAndTheClassicSwitchRestoresTheClassicOne) {
    Classic = false;
    const std::string Ldt3 =
        std::string(OSTREL_TEST_DATA) + "/samples/healthmetrix-libldt3__3.2.4-with-bak.ldt";
    auto Form = MakeForm({QString::fromStdString(Ldt3)});
    EXPECT_FALSE(Form->Classic());
    // LDT 3 declares no 9106 and prescribes ISO 8859-15; the toggle stays free.
    EXPECT_EQ(Form->View()->Codierung(), cdISO15);
    EXPECT_EQ(Form->StatusText(3), "Aktuell verwendeter Zeichensatz: 4 - \"ISO 8859-15 Code\" (LDT 3)");
    auto* Format = Form->findChild<QLabel*>("StatusPanelFormat");
    ASSERT_NE(Format, nullptr);
    EXPECT_EQ(Format->text(), "LDT 3.2.4");
    EXPECT_TRUE(Action(*Form, "cmToggleCodierung")->isEnabled());
    // The toggle runs on through ANSI and UTF-8.
    ShowActive(*Form);
    for (int Want : {5, 6, 1, 2}) {
        Press(*Form, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Form->View()->Codierung(), Want);
    }
    // A column switch keeps the set the file is read in.
    Press(*Form, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(Form->View()->Codierung(), 2);

    // The classic switch: 7-bit code as the classic program chooses it, four panels, and the choice
    // is kept in the options file.
    Action(*Form, "cmClassicView")->trigger();
    EXPECT_TRUE(Form->Classic());
    EXPECT_TRUE(Form->View()->Classic());
    EXPECT_EQ(Form->View()->Codierung(), cd7Bit);
    EXPECT_EQ(Form->StatusText(3), "Aktuell verwendeter Zeichensatz: 1 - \"7-bit-Code\"");
    EXPECT_TRUE(Format->isHidden());
    Form->close();
    EXPECT_NE(ReadFileBytes(Paths.OptionsFile).find("Classic View=1\r\n"), std::string::npos);
    auto Again = MakeForm({QString::fromStdString(Ldt3)});
    EXPECT_TRUE(Again->Classic());
    EXPECT_EQ(Again->View()->Codierung(), cd7Bit);
}

TEST_F(ShellTest, ExtendedViewTakesGdtsOwnCharacterSetField) {
    Classic = false;
    const std::string P = WriteFile("docs/g.gdt", XdtLine(8000, "6310") + XdtLine(9218, "02.10") +
                                                      XdtLine(9206, "2") + XdtLine(3101, "M\x81ller"));
    auto Form = MakeForm({QString::fromStdString(P)});
    EXPECT_EQ(Form->View()->Codierung(), cdIBM);
    EXPECT_EQ(Form->StatusText(3), "Aktuell verwendeter Zeichensatz: 2 - \"IBM-Code\" (9206)");
    EXPECT_EQ(Form->findChild<QLabel*>("StatusPanelFormat")->text(), "GDT 2.10");
}
