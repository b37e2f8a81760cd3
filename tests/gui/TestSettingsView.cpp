#include "BookProvider.h"
#include "BookViewer.h"
#include "ColorPicker.h"
#include "FileDialogs.h"
#include "FontSizeEdit.h"
#include "MainView.h"
#include "MessageView.h"
#include "Paths.h"
#include "Settings.h"
#include "SettingsView.h"
#include "TextDocument.h"
#include "TextViewer.h"
#include "Translations.h"
#include "util/Fb2Builder.h"
#include "util/TestHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QFile css(QStringLiteral(":/style/style.css"));
        QVERIFY(css.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(css.readAll()));
    }

    void init()
    {
        m_home.wipe();
        Settings::instance()->load();
        FileDialogs::clearAnswers();
        MessageView::clearAnswers();
        Translations::setSearchFolders({QStringLiteral(PROGRAM_TRANSLATIONS)});
    }

    // ------------------------------------------------------------ profiles

    void editsOfAnotherProfileAreDropped()
    {
        SettingsView view;
        view.show();
        view.m_profile->setCurrentIndex(Settings::Night);
        const QColor storedNight = Settings::defaultProfile(Settings::Night).textColor;
        QCOMPARE(view.m_textColor->color(), storedNight);
        view.m_textColor->changeColor(Qt::red);
        view.m_textSize->setValue(30);
        view.m_profile->setCurrentIndex(Settings::Day);
        QCOMPARE(view.m_textColor->color(), Settings::defaultProfile(Settings::Day).textColor);
        view.m_profile->setCurrentIndex(Settings::Night);
        QCOMPARE(view.m_textColor->color(), storedNight);
        QCOMPARE(view.m_textSize->value(), 13);
    }

    void savingChangesOnlyTheSelectedProfile()
    {
        ReaderSettings before = Settings::instance()->data();
        before.profiles[Settings::Sepia].textBold = true;
        before.profiles[Settings::Sepia].captionItalic = true;
        before.profiles[Settings::Sepia].bookShadow = true;
        before.profiles[Settings::Sepia].selectionColor = QColor("#123456");
        before.profiles[Settings::Night].textSize = 17;
        Settings::instance()->setData(before, true);

        SettingsView view;
        QSignalSpy hide(&view, &SettingsView::onHideWindow);
        QSignalSpy changed(Settings::instance(), &Settings::changed);
        view.show();
        QCOMPARE(view.m_profile->currentData().toInt(), int(Settings::Day));
        view.m_profile->setCurrentIndex(view.m_profile->findData(int(Settings::Sepia)));
        view.m_textFont->setCurrentIndex(view.m_textFont->findData("Georgia"));
        view.m_textSize->setValue(21);
        view.m_textColor->changeColor(QColor("#102030"));
        view.m_captionFont->setCurrentIndex(view.m_captionFont->findData("Verdana"));
        view.m_captionSize->setValue(9);
        view.m_captionColor->changeColor(QColor("#405060"));
        view.m_background->changeColor(QColor("#708090"));
        view.m_workground->changeColor(QColor("#a0b0c0"));
        view.m_fade->setChecked(true);
        QTest::mouseClick(view.findChild<QPushButton*>("buttonSaveSettings"), Qt::LeftButton);

        QCOMPARE(hide.size(), 1);
        QTRY_COMPARE(changed.size(), 1);
        // What the file holds, not only the record in memory.
        Settings::instance()->load();
        const ReaderSettings after = Settings::instance()->data();
        QCOMPARE(after.currentProfile, int(Settings::Sepia));
        QVERIFY(after.showFade);
        const ReadingProfile sepia = after.profiles.value(Settings::Sepia);
        QCOMPARE(sepia.textFamily, QString("Georgia"));
        QCOMPARE(sepia.textSize, 21);
        QCOMPARE(sepia.textColor, QColor("#102030"));
        QCOMPARE(sepia.captionFamily, QString("Verdana"));
        QCOMPARE(sepia.captionSize, 9);
        QCOMPARE(sepia.captionColor, QColor("#405060"));
        QCOMPARE(sepia.backgroundColor, QColor("#708090"));
        QCOMPARE(sepia.workgroundColor, QColor("#a0b0c0"));
        QVERIFY(!sepia.textBold);
        QVERIFY(!sepia.captionItalic);
        // Fields the page does not show keep their values.
        QVERIFY(sepia.bookShadow);
        QCOMPARE(sepia.selectionColor, QColor("#123456"));
        QCOMPARE(after.profiles.value(Settings::Day), before.profiles.value(Settings::Day));
        QCOMPARE(after.profiles.value(Settings::Night), before.profiles.value(Settings::Night));
        QCOMPARE(after.leftSpacing, before.leftSpacing);
        QCOMPARE(after.columnCount, before.columnCount);
    }

    void everyOtherWayOutWritesNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("escape") << "escape";
        QTest::newRow("cancel button") << "buttonCancel";
        QTest::newRow("back button") << "buttonNavigateBack";
        QTest::newRow("close button") << "buttonCloseSettings";
    }
    void everyOtherWayOutWritesNothing()
    {
        QFETCH(QString, way);
        const ReaderSettings before = Settings::instance()->data();
        SettingsView view;
        QSignalSpy hide(&view, &SettingsView::onHideWindow);
        view.show();
        view.m_language->setCurrentIndex(view.m_language->findData("de"));
        view.m_profile->setCurrentIndex(view.m_profile->findData(int(Settings::Night)));
        view.m_textSize->setValue(25);
        view.m_fade->setChecked(true);
        FileDialogs::setNextAnswer({m_home.path() + "/elsewhere"});
        view.onSelectLibraryFolder();
        if (way == "escape") {
            QTest::keyClick(view.m_fade, Qt::Key_Escape);
        } else {
            QTest::mouseClick(view.findChild<QPushButton*>(way), Qt::LeftButton);
        }
        QCOMPARE(hide.size(), 1);
        QSettings file(Paths::settingsFile(), QSettings::IniFormat);
        QVERIFY(!file.contains("Language"));
        QVERIFY(!file.contains("library_folder"));
        Settings::instance()->load();
        QCOMPARE(Settings::instance()->data(), before);

        // The next visit shows what is stored again.
        view.hide();
        view.show();
        QCOMPARE(view.m_profile->currentData().toInt(), int(Settings::Day));
        QCOMPARE(view.m_textSize->value(), 13);
        QVERIFY(!view.m_fade->isChecked());
        QCOMPARE(view.m_language->currentData().toString(), QString("en"));
        QCOMPARE(view.m_libraryFolder, Paths::importFolder());
    }

    void restoreDefaultsTakesEffectAtOnce()
    {
        ReaderSettings custom = Settings::instance()->data();
        custom.showFade = true;
        custom.currentProfile = Settings::Night;
        custom.profiles[Settings::Night].backgroundColor = QColor("#ff00ff");
        custom.profiles[Settings::Day].textSize = 30;
        custom.leftSpacing = 5;
        Settings::instance()->setData(custom, true);

        SettingsView view;
        QSignalSpy changed(Settings::instance(), &Settings::changed);
        view.show();
        QCOMPARE(view.m_background->color(), QColor("#ff00ff"));
        QTest::mouseClick(view.findChild<QPushButton*>("buttonRestoreProfiles"), Qt::LeftButton);
        QTRY_COMPARE(changed.size(), 1);
        ReaderSettings expected = Settings::defaults();
        expected.showFade = true;
        QCOMPARE(Settings::instance()->data(), expected);
        // The page shows the restored Day profile; cancelling keeps the reset.
        QCOMPARE(view.m_profile->currentData().toInt(), int(Settings::Day));
        QCOMPARE(view.m_textSize->value(), 13);
        QVERIFY(view.m_fade->isChecked());
        view.cancel();
        Settings::instance()->load();
        QCOMPARE(Settings::instance()->data(), expected);
    }

    void storedValuesOutsideTheLists_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("shownFamily");
        QTest::addColumn<int>("shownSize");
        QTest::newRow("known family") << "Tahoma" << 14 << "Tahoma" << 14;
        QTest::newRow("unknown family") << "Comic Sans MS" << 14 << "Times New Roman" << 14;
        QTest::newRow("empty family") << "" << 14 << "Times New Roman" << 14;
        QTest::newRow("family differs in case") << "arial" << 14 << "Times New Roman" << 14;
        QTest::newRow("size above the range") << "Arial" << 40 << "Arial" << 32;
        QTest::newRow("size below the range") << "Arial" << 3 << "Arial" << 8;
    }
    void storedValuesOutsideTheLists()
    {
        QFETCH(QString, family);
        QFETCH(int, size);
        QFETCH(QString, shownFamily);
        QFETCH(int, shownSize);
        ReaderSettings data = Settings::instance()->data();
        data.profiles[Settings::Day].textFamily = family;
        data.profiles[Settings::Day].textSize = size;
        data.profiles[Settings::Day].captionFamily = family;
        data.profiles[Settings::Day].captionSize = size;
        Settings::instance()->setData(data, true);

        SettingsView view;
        view.show();
        QCOMPARE(view.m_textFont->currentText(), shownFamily);
        QCOMPARE(view.m_captionFont->currentText(), shownFamily);
        QCOMPARE(view.m_textSize->value(), shownSize);
        QCOMPARE(view.m_captionSize->value(), shownSize);
        view.saveSettings();
        const ReadingProfile saved = Settings::instance()->data().profiles.value(Settings::Day);
        QCOMPARE(saved.textFamily, shownFamily);
        QCOMPARE(saved.textSize, shownSize);
        QCOMPARE(saved.captionSize, shownSize);
    }

    void fontSizeEditAndColorPicker()
    {
        FontSizeEdit edit;
        QCOMPARE(edit.objectName(), QString("fontSizeEdit"));
        QCOMPARE(edit.minimum(), 8);
        QCOMPARE(edit.maximum(), 32);
        QCOMPARE(edit.size(), QSize(60, 37));
        edit.setValue(12);
        QCOMPARE(edit.text(), QString("12pt"));

        ColorPicker picker;
        picker.resize(60, 30);
        QSignalSpy spy(&picker, &ColorPicker::colorChanged);
        picker.changeColor(QColor("#2e7d6b"));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).value<QColor>(), QColor("#2e7d6b"));
        const QImage image = picker.grab().toImage();
        QCOMPARE(image.pixelColor(30, 15), QColor("#2e7d6b"));
        QCOMPARE(image.pixelColor(1, 15), QColor(215, 216, 217));
    }

    // ------------------------------------------------------------ system page

    void languagesComeFromTheTranslationFiles()
    {
        SettingsView view;
        QStringList texts, codes;
        for (int i = 0; i < view.m_language->count(); ++i) {
            texts << view.m_language->itemText(i);
            codes << view.m_language->itemData(i).toString();
        }
        QCOMPARE(codes, QStringList({"de", "en", "ru"}));
        QCOMPARE(texts, QStringList({"Deutsch", "English", QString::fromUtf8("Русский")}));
    }

    void storedLanguageIsSelected_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("selected");
        QTest::newRow("none: the system's, English here") << QVariant() << "en";
        QTest::newRow("empty") << QVariant("") << "en";
        QTest::newRow("German") << QVariant("de") << "de";
        QTest::newRow("Russian") << QVariant("ru") << "ru";
        QTest::newRow("no such file: English is what shows") << QVariant("fr") << "en";
        QTest::newRow("codes match exactly") << QVariant("DE") << "en";
    }
    void storedLanguageIsSelected()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, selected);
        if (stored.isValid())
            Paths::settings()->setValue("Language", stored);
        SettingsView view;
        view.show();
        QCOMPARE(view.m_language->currentData().toString(), selected);
    }

    void noTranslationFilesGiveAnEmptyList()
    {
        QTemporaryDir empty;
        Translations::setSearchFolders({empty.path()});
        Paths::settings()->setValue("Language", "de");
        SettingsView view;
        view.show();
        QCOMPARE(view.m_language->count(), 0);
        view.saveSettings();
        QSettings file(Paths::settingsFile(), QSettings::IniFormat);
        QVERIFY(file.contains("Language"));
        QCOMPARE(file.value("Language").toString(), QString());
    }

    void aFileWithoutItsLanguageNameShowsItsCode()
    {
        QTemporaryDir folder;
        QFile broken(folder.path() + "/lanternleaf_xx.qm");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a translation");
        broken.close();
        Translations::setSearchFolders({folder.path()});
        SettingsView view;
        QCOMPARE(view.m_language->count(), 1);
        QCOMPARE(view.m_language->itemText(0), QString("xx"));
        QCOMPARE(view.m_language->itemData(0).toString(), QString("xx"));
    }

    void libraryFolderIsChosenButWrittenOnlyOnSave()
    {
        SettingsView view;
        view.show();
        QCOMPARE(view.m_folder->text(), Paths::importFolder());

        const QString chosen =
            m_home.path() + "/" + QString("a very long folder name ").repeated(8).trimmed();
        FileDialogs::setNextAnswer({chosen});
        QTest::mouseClick(view.findChild<QPushButton*>("buttonOpenFolder"), Qt::LeftButton);
        QCOMPARE(view.m_libraryFolder, chosen);
        QVERIFY(view.m_folder->text().endsWith(QChar(0x2026)));
        QVERIFY(view.m_folder->text().size() < chosen.size());
        QCOMPARE(view.m_folder->toolTip(), chosen);
        QVERIFY(!QSettings(Paths::settingsFile(), QSettings::IniFormat).contains("library_folder"));

        FileDialogs::setNextAnswer({}); // the user cancels the dialog
        view.onSelectLibraryFolder();
        QCOMPARE(view.m_libraryFolder, chosen);

        view.saveSettings();
        QCOMPARE(QSettings(Paths::settingsFile(), QSettings::IniFormat).value("library_folder").toString(),
                 chosen);
    }

    void textsFollowTheLanguage()
    {
        SettingsView view;
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(PROGRAM_TRANSLATIONS) + "/lanternleaf_de.qm"));
        qApp->installTranslator(&german);
        QTRY_COMPARE(view.findChild<QPushButton*>("buttonSaveSettings")->text(),
                     QString("EINSTELLUNGEN SPEICHERN"));
        QCOMPARE(view.m_profile->itemText(Settings::Night), QString("Nacht"));
        qApp->removeTranslator(&german);
        QTRY_COMPARE(view.findChild<QPushButton*>("buttonSaveSettings")->text(), QString("SAVE SETTINGS"));
        QCOMPARE(view.m_profile->itemText(Settings::Night), QString("Night"));
    }

    // ------------------------------------------------------------ in the main window

    void savingReLaysOutTheOpenBookAtTheSamePlace()
    {
        QVERIFY(BookProvider::instance()->createConnection());
        const int id = addBook();
        MainView window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QMetaObject::invokeMethod(&window, "onBookOpened", Q_ARG(int, id));
        auto* viewer = window.findChild<BookViewer*>();
        QTRY_VERIFY(viewer->textViewer() && !viewer->isBusy());
        TextDocument* doc = viewer->textViewer()->document();
        QTRY_VERIFY(doc->pageCount() > 12);
        doc->setPage(9);
        const int position = doc->position();
        const int pagesBefore = doc->pageCount();

        QTest::mouseClick(window.findChild<QPushButton*>("buttonSettings"), Qt::LeftButton);
        auto* page = window.findChild<SettingsView*>();
        QTRY_VERIFY(page->isVisible());
        page->m_textSize->setValue(22);
        page->m_background->changeColor(QColor("#203040"));
        QSignalSpy reloaded(viewer->textViewer(), &TextViewer::reloadFinished);
        QTest::mouseClick(page->findChild<QPushButton*>("buttonSaveSettings"), Qt::LeftButton);
        QTRY_COMPARE(reloaded.size(), 1);
        QTRY_VERIFY(!page->isVisible());

        QVERIFY(doc->pageCount() > pagesBefore);
        const int start = doc->calcPositionByPage(doc->page());
        const int next = doc->calcPositionByPage(doc->page() + doc->columnCount());
        QVERIFY2(start <= position && position < next,
                 qPrintable(QString("%1 not in [%2, %3)").arg(position).arg(start).arg(next)));
        QCOMPARE(doc->backgroundColor(), QColor("#203040"));
    }

    void plainKeysOnThePageDoNotTurnTheBook()
    {
        QVERIFY(BookProvider::instance()->createConnection());
        const int id = addBook();
        MainView window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QMetaObject::invokeMethod(&window, "onBookOpened", Q_ARG(int, id));
        auto* viewer = window.findChild<BookViewer*>();
        QTRY_VERIFY(viewer->textViewer() && !viewer->isBusy());
        TextDocument* doc = viewer->textViewer()->document();
        doc->setPage(3);

        QTest::mouseClick(window.findChild<QPushButton*>("buttonSettings"), Qt::LeftButton);
        auto* page = window.findChild<SettingsView*>();
        QTRY_VERIFY(page->isVisible());
        QTRY_VERIFY(page->isAncestorOf(QApplication::focusWidget()) || page->hasFocus());
        page->m_fade->setFocus();
        QTest::keyClick(page->m_fade, Qt::Key_Space);
        QVERIFY(page->m_fade->isChecked());
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Backspace})
            QTest::keyClick(page->m_fade, key);
        QCOMPARE(doc->page(), 3);

        QTest::keyClick(page->m_fade, Qt::Key_Escape);
        QTRY_VERIFY(!page->isVisible());
        QVERIFY(!QSettings(Paths::settingsFile(), QSettings::IniFormat).contains("showfade"));
        // With the page gone the keys reach the book again.
        viewer->textViewer()->setFocus();
        QTest::keyClick(viewer->textViewer(), Qt::Key_Right);
        QCOMPARE(doc->page(), 3 + doc->columnCount());
    }

private:
    int addBook()
    {
        QStringList sections;
        for (int s = 0; s < 30; ++s) {
            QStringList paragraphs;
            for (int p = 0; p < 8; ++p)
                paragraphs << QStringLiteral(
                                  "Section %1 paragraph %2: the lamplighter walked the long street "
                                  "while the wind carried the leaves past every shuttered window.")
                                  .arg(s)
                                  .arg(p);
            sections << Fb2Builder::section(QStringLiteral("Chapter %1").arg(s), paragraphs);
        }
        const QString path = Fb2Builder()
                                 .title("Lamplighter")
                                 .body(sections.join(QString()))
                                 .write(m_books.path(), "lamp.fb2");
        BookDto book;
        book.title = "Lamplighter";
        book.author = "A. Writer";
        book.full_path = QDir::toNativeSeparators(path);
        book.format = 2;
        return BookProvider::instance()->addBook(book);
    }

    TestHome m_home;
    QTemporaryDir m_books;
};

QTEST_MAIN(TestSettingsView)
#include "TestSettingsView.moc"
