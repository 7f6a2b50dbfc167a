// Qt's own dialogs speak German once the program has installed Qt's translation; without it the
// program still runs.
#include "support/QtTranslation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

QStringList ButtonTexts(QWidget* W) {
    QStringList Texts;
    for (QAbstractButton* B : W->findChildren<QDialogButtonBox*>().value(0)->buttons()) Texts << B->text();
    return Texts;
}
QStringList LabelTexts(QWidget* W) {
    QStringList Texts;
    for (QLabel* L : W->findChildren<QLabel*>()) Texts << L->text();
    return Texts;
}

struct TTranslationGuard {
    ~TTranslationGuard() { RemoveQtTranslation(); }
};

} // namespace

TEST(QtTranslation, FileFontAndMessageDialogsSpeakGerman) {
    TTranslationGuard Guard;
    ASSERT_TRUE(InstallQtTranslation()) << "qtbase_de.qm (Debian: qt6-translations-l10n)";

    QTemporaryDir Tmp;
    {
        QFile Probe(Tmp.filePath("probe.ldt"));
        ASSERT_TRUE(Probe.open(QIODevice::WriteOnly));
        Probe.write("0138000822\r\n");
    }
    QFileDialog Open(nullptr);
    Open.setOption(QFileDialog::DontUseNativeDialog, true);
    Open.setFileMode(QFileDialog::ExistingFile);
    Open.setAcceptMode(QFileDialog::AcceptOpen);
    Open.setViewMode(QFileDialog::Detail);
    Open.setDirectory(Tmp.path());
    EXPECT_EQ(Open.windowTitle(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(ButtonTexts(&Open), QStringList({QString::fromUtf8("&Öffnen"), "Abbrechen"}));
    const QStringList Labels = LabelTexts(&Open);
    EXPECT_TRUE(Labels.contains("Suchen in:")) << Labels.join('|').toStdString();
    EXPECT_TRUE(Labels.contains("Datei&name:")) << Labels.join('|').toStdString();
    EXPECT_TRUE(Labels.contains("Dateien des Typs:")) << Labels.join('|').toStdString();
    // The type column of the file list.
    auto* Model = Open.findChild<QFileSystemModel*>();
    ASSERT_TRUE(Model);
    QString Type;
    QTest::qWaitFor([&] {
        Type = Model->index(Tmp.filePath("probe.ldt"), 2).data().toString();
        return !Type.isEmpty();
    });
    EXPECT_EQ(Type, "Einfaches Textdokument");
    EXPECT_EQ(Model->headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(Model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Größe"));

    QFontDialog Font;
    Font.setOptions(QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
    EXPECT_EQ(Font.windowTitle(), QString::fromUtf8("Schriftart auswählen"));
    EXPECT_EQ(ButtonTexts(&Font), QStringList({"OK", "Abbrechen"}));

    QMessageBox Box(QMessageBox::Question, "T", "Frage?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList Answers;
    for (QAbstractButton* B : Box.buttons()) Answers << B->text();
    Answers.sort();
    EXPECT_EQ(Answers, QStringList({"&Ja", "&Nein", "Abbrechen"}));
}

TEST(QtTranslation, MissingTranslationLeavesQtsOwnTexts) {
    TTranslationGuard Guard;
    QTemporaryDir Empty;
    EXPECT_FALSE(InstallQtTranslation({Empty.path(), QString()}));
    QFileDialog Open(nullptr);
    Open.setOption(QFileDialog::DontUseNativeDialog, true);
    Open.setAcceptMode(QFileDialog::AcceptOpen);
    EXPECT_EQ(ButtonTexts(&Open), QStringList({"&Open", "Cancel"}));
}
