#pragma once

#include "SidePage.h"

class ColorPicker;
class FontSizeEdit;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
struct ReadingProfile;

/// The settings page, slid in by the main window: the three reading profiles
/// (fonts, sizes, colours), the page-turn fade, the language and the library
/// folder. Every show reloads the controls from the stored settings; nothing
/// is written until "SAVE SETTINGS" (saveSettings()), except "Restore Default
/// Settings", which resets the profiles at once. Every way out (the buttons,
/// Escape) asks the main window to hide the page through onHideWindow().
/// GUI thread only.
class SettingsView : public SidePage
{
    Q_OBJECT
public:
    explicit SettingsView(QWidget* parent = nullptr);

    /// The font families offered for text and captions, in order.
    static QStringList fontFamilies();

public slots:
    /// Writes language, library folder and the selected profile, makes that
    /// profile current, reloads the translation and closes the page.
    void saveSettings();
    void cancel();
    void onClose();
    /// Shows the stored values of the profile at index (edits are dropped).
    void onProfileChanged(int index);
    void onSelectLibraryFolder();
    /// Back to the built-in profiles at once (the fade flag is kept).
    void onResetDeaultProfiles();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TestSettingsView;

    QWidget* buildHeader();
    QWidget* buildProfilesPage();
    QWidget* buildSystemPage();
    QWidget* buildCommandBox();
    QComboBox* makeCombo(const QString& name, QWidget* parent);
    QLabel* makeLabel(QWidget* parent);
    void showTab(int index);
    void retranslate();

    void loadSettings();
    void fillProfile(const ReadingProfile& profile);
    void fillLanguages();
    void selectLanguage(const QString& stored);
    void updateFolderLabel();

    QString m_libraryFolder;

    QLabel* m_title = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_tabProfiles = nullptr;
    QPushButton* m_tabSystem = nullptr;
    QStackedWidget* m_pages = nullptr;

    QLabel* m_profileLabel = nullptr;
    QComboBox* m_profile = nullptr;
    QPushButton* m_restore = nullptr;
    QLabel* m_textFontLabel = nullptr;
    QComboBox* m_textFont = nullptr;
    FontSizeEdit* m_textSize = nullptr;
    QLabel* m_textColorLabel = nullptr;
    ColorPicker* m_textColor = nullptr;
    QLabel* m_captionFontLabel = nullptr;
    QComboBox* m_captionFont = nullptr;
    FontSizeEdit* m_captionSize = nullptr;
    QLabel* m_captionColorLabel = nullptr;
    ColorPicker* m_captionColor = nullptr;
    QLabel* m_backgroundLabel = nullptr;
    ColorPicker* m_background = nullptr;
    QLabel* m_workgroundLabel = nullptr;
    ColorPicker* m_workground = nullptr;

    QLabel* m_folderCaption = nullptr;
    QLabel* m_folder = nullptr;
    QPushButton* m_openFolder = nullptr;
    QLabel* m_languageLabel = nullptr;
    QComboBox* m_language = nullptr;
    QLabel* m_fadeLabel = nullptr;
    QCheckBox* m_fade = nullptr;

    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};
