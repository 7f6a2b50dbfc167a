#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace {
std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> Translator;
    return Translator;
}
} // namespace

bool InstallQtTranslation(const QStringList& Folders) {
    RemoveQtTranslation();
    QStringList Where = Folders;
    if (Where.isEmpty())
        Where << QLibraryInfo::path(QLibraryInfo::TranslationsPath) << QCoreApplication::applicationDirPath();
    auto Translator = std::make_unique<QTranslator>();
    for (const QString& Folder : Where) {
        // German whatever the user's locale: the program speaks nothing else.
        if (!Folder.isEmpty() && Translator->load(QLocale(QLocale::German, QLocale::Germany),
                                                  QStringLiteral("qtbase"), QStringLiteral("_"), Folder)) {
            if (!QCoreApplication::installTranslator(Translator.get())) return false;
            Installed() = std::move(Translator);
            // The file dialog takes file types, sizes and dates from the default locale.
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
            return true;
        }
    }
    return false;
}

void RemoveQtTranslation() {
    if (!Installed()) return;
    QCoreApplication::removeTranslator(Installed().get());
    Installed().reset();
    QLocale::setDefault(QLocale::system());
}
