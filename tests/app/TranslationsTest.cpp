// The program in German and in French: the main window's menus, toolbar and status bar, a
// message of the windows and one the engine builds, through the real message box; the Alt keys
// of the windows inside the main window; and the translation files against the texts of the code.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <map>

#include "CatalogueFile.h"
#include "compare/frmCompare.h"
#include "compare/frmDuplicates.h"
#include "compare/frmVerify.h"
#include "DialogTestSupport.h"
#include "mainwindow/frmMenu.h"
#include "msgbox/ctlMsgBox.h"
#include "msgbox/frmMsgBox.h"
#include "quickfind/QuickFindBox.h"
#include "search/frmSearch.h"
#include "startup/Startup.h"
#include "startup/Translations.h"
#include "views/frmTip.h"

namespace karvio {
namespace {

struct Language {
    const char* locale;
    QString fileMenu, addItem, exitItem, addTip, searchButton;
    QString nothingEntered, ok, cannotAdd;
    const char* help;
    const char* tips;
};

const Language kLanguages[] = {
    {"de_DE", "&Datei", "&Hinzufügen", "&Beenden", "Hinzufügen", "&Suchen",
     "Kein Suchbegriff eingegeben", "OK",
     "Die CD kann nicht hinzugefügt werden: der Katalog ist schreibgeschützt und kann nicht "
     "geändert werden",
     "Karvio.de.html", "Karvio.de.tip"},
    {"fr_FR", "&Fichier", "&Ajouter", "&Quitter", "Ajouter", "&Rechercher",
     "Aucun texte à rechercher n'a été saisi", "OK",
     "Le CD ne peut pas être ajouté : le catalogue est en lecture seule et ne peut pas être "
     "modifié",
     "Karvio.fr.html", "Karvio.fr.tip"},
};

// Test names and failures name the language, not the bytes of the case.
void PrintTo(const Language& language, std::ostream* out) { *out << language.locale; }

class Translated : public testing::DialogTest, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ASSERT_TRUE(InstallTranslations(QLocale(QString::fromLatin1(GetParam().locale))));
    }
    void TearDown() override {
        InstallTranslations(QLocale(QLocale::English));
        DialogTest::TearDown();
    }
};

// What the message box showed: its text and its buttons' captions.
struct Shown {
    QString text;
    QStringList buttons;
};

void WatchMessages(ctlMsgBox* box, std::vector<Shown>& shown) {
    box->setFormHook([&shown](frmMsgBox& form) {
        Shown seen{form.MessageLabel()->text(), {}};
        for (int i = 1; i <= form.ButtonCount(); ++i) seen.buttons << form.Button(i)->text();
        shown.push_back(seen);
        QTimer::singleShot(0, &form, [&form] { form.Button(1)->click(); });
    });
}

// The key a text takes with Alt ("&File": f), or none.
QChar AltKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
        ++i;  // "&&" is an ampersand
    }
    return {};
}

// The windows that open inside the main window take no Alt key of the main window's own (a menu
// title, the Find box's label: those would no longer answer it while such a window is up) and
// none twice.
void ExpectAltKeysOfTheirOwn() {
    frmMenu menu;
    QuickFindBox* box = QuickFindBox::Install(menu, nullptr);
    std::map<QChar, QString> menus;
    for (QAction* title : menu.menuBar()->actions()) {
        if (const QChar key = AltKey(title->text()); !key.isNull()) menus[key] = title->text();
    }
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (const QChar key = AltKey(label->text()); !key.isNull()) menus[key] = label->text();
    }
    ASSERT_GE(menus.size(), 6u);
    frmDuplicates duplicates(&menu);
    frmCompare compare(&menu);
    frmVerify verify(&menu);
    for (QWidget* window : std::initializer_list<QWidget*>{&duplicates, &compare, &verify}) {
        std::map<QChar, QString> own;
        auto take = [&](const QString& text) {
            const QChar key = AltKey(text);
            if (key.isNull()) return;
            EXPECT_EQ(menus.count(key), 0u) << window->metaObject()->className() << ": " << text.toStdString()
                                            << " takes the main window's key of " << menus[key].toStdString();
            const auto [at, fresh] = own.emplace(key, text);
            EXPECT_TRUE(fresh || at->second == text) << window->metaObject()->className() << ": "
                                                     << text.toStdString() << " and " << at->second.toStdString();
        };
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) take(button->text());
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->buddy()) take(label->text());
        }
        EXPECT_GE(own.size(), 2u) << window->metaObject()->className();
    }
}

TEST_P(Translated, MainWindowMenusAndMessagesSpeakTheLanguage) {
    const Language& language = GetParam();
    frmMenu menu;
    InstallProgramWindows(menu);
    menu.MenuStart();
    QCoreApplication::processEvents();

    EXPECT_EQ(menu.menuBar()->actions().first()->text(), language.fileMenu);
    EXPECT_EQ(menu.Item("mnuCdAdd")->text(), language.addItem);
    EXPECT_EQ(menu.Item("mnuFileExit")->text(), language.exitItem);
    EXPECT_EQ(menu.ToolbarButton(1)->toolTip(), language.addTip);
    // Keys and names the program compares stay as they are.
    EXPECT_EQ(menu.Item("mnuCdAdd")->objectName(), "mnuCdAdd");

    std::vector<Shown> shown;
    WatchMessages(menu.MsgBox(), shown);
    // A message of the windows: a search with nothing to search for.
    menu.mnuCdSearch_Click();
    auto* search = menu.findChild<frmSearch*>();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->OkButton()->text(), language.searchButton);
    search->SearchFor()->clear();
    search->OkButton()->click();
    // A line the engine builds from a fixed text and a reason.
    ShowMessage(std::string("The CD cannot be added: ") + kCatalogueReadOnlyText, vbOKOnly);
    // A name in a message stays as it is.
    ShowMessage("Remove Cd\r\n[Holiday 2001]", vbYesNoCancel);

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, language.nothingEntered);
    EXPECT_EQ(shown[0].buttons, QStringList{language.ok});
    EXPECT_EQ(shown[1].text, language.cannotAdd);
    EXPECT_EQ(shown[2].text.split('\n').value(1), "[Holiday 2001]");
    EXPECT_NE(shown[2].text.split('\n').value(0), "Remove Cd");
    EXPECT_EQ(shown[2].buttons.size(), 3);
    EXPECT_NE(shown[2].buttons.value(0), "Yes");
    menu.MsgBox()->setFormHook({});
}

TEST_P(Translated, HelpPageIsTheTranslatedOneWhenShipped) {
    const QString help = LocalizedResource(QStringLiteral("help/Karvio.html"));
    const QString translated = QFileInfo(help).dir().filePath(QString::fromLatin1(GetParam().help));
    if (QFile::exists(translated)) {
        EXPECT_EQ(help, translated);
    } else {
        EXPECT_TRUE(help.endsWith("help/Karvio.html")) << help.toStdString();
    }
}

// The tip of the day reads the tips of the language, one for each English tip.
TEST_P(Translated, TipsAreThoseOfTheLanguage) {
    const auto lines = [](const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    };
    const QString sources = QStringLiteral(KARVIO_SOURCE_DIR "/resources/");
    const QStringList tips = lines(sources + QString::fromLatin1(GetParam().tips));
    EXPECT_EQ(tips.size(), lines(sources + "Karvio.tip").size());
    frmTip tip(nullptr, {}, [] { return 0.0; });
    EXPECT_EQ(tip.TipLabel()->text(), tips.value(0));
}

TEST_P(Translated, WindowsInsideTheMainWindowHaveAltKeysOfTheirOwn) { ExpectAltKeysOfTheirOwn(); }

INSTANTIATE_TEST_SUITE_P(Languages, Translated, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.locale); });

TEST(Translations, WindowsInsideTheMainWindowHaveAltKeysOfTheirOwnInEnglish) { ExpectAltKeysOfTheirOwn(); }

TEST(Translations, EnglishNeedsNoTranslation) {
    EXPECT_FALSE(InstallTranslations(QLocale(QLocale::English)));
    EXPECT_EQ(TranslateMessage("Remove Cd\r\n[x]"), "Remove Cd\r\n[x]");
    EXPECT_TRUE(LocalizedResource(QStringLiteral("help/Karvio.html")).endsWith("help/Karvio.html"));
}

// Every text of the code is in each translation file and translated there, and the files hold
// no text the code no longer has: lupdate run over the sources finds nothing new and drops
// nothing.
TEST(Translations, FilesMatchTheTextsOfTheCode) {
    const QString sources = QStringLiteral(KARVIO_SOURCE_DIR);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* language : {"de", "fr"}) {
        const QString name = QStringLiteral("karvio_%1.ts").arg(QLatin1String(language));
        const QString copy = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(sources + "/resources/translations/" + name, copy))
            << name.toStdString();
        QFile before(copy);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const int messages = QString::fromUtf8(before.readAll()).count(QStringLiteral("<message>"));
        before.close();

        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.start(QStringLiteral(KARVIO_LUPDATE),
                      {"-locations", "none", "-no-obsolete", "-tr-function-alias",
                       "QT_TRANSLATE_NOOP+=KARVIO_TRANSLATE_NOOP", sources + "/app",
                       sources + "/src", "-ts", copy});
        ASSERT_TRUE(lupdate.waitForFinished(60000));
        const QString output = QString::fromUtf8(lupdate.readAll());
        EXPECT_EQ(lupdate.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(
            output.contains(QStringLiteral("(0 new and %1 already existing)").arg(messages)))
            << name.toStdString() << ": " << output.toStdString();

        QFile after(copy);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        const QString updated = QString::fromUtf8(after.readAll());
        EXPECT_EQ(updated.count(QStringLiteral("<message>")), messages) << name.toStdString();
        EXPECT_FALSE(updated.contains(QStringLiteral("type=\"unfinished\""))) << name.toStdString();
        EXPECT_FALSE(updated.contains(QStringLiteral("type=\"vanished\""))) << name.toStdString();
    }
}

}  // namespace
}  // namespace karvio
